#pragma once

// The standard streams of the command-line tools, alike on every system.

namespace platform {

// Standard output passes its bytes as they are: Windows otherwise writes
// every "\n" as "\r\n", so a text whose lines already end in "\r\n" would get
// "\r\r\n".
void setBinaryOutput();

// While it lives, a console shows the program's UTF-8 output as the
// characters it encodes (a Windows console otherwise reads it in its own code
// page); the console's code page comes back when it ends. Output sent
// elsewhere is UTF-8 on every system.
class Utf8Console
{
public:
    Utf8Console();
    ~Utf8Console();
    Utf8Console(const Utf8Console &) = delete;
    Utf8Console &operator=(const Utf8Console &) = delete;

private:
    unsigned int previous = 0;
};

} // namespace platform
