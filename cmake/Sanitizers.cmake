# TARN_SANITIZE builds every target with AddressSanitizer (leaks included)
# and UndefinedBehaviorSanitizer. Any finding stops the process, so a test
# that trips one fails instead of printing a warning that scrolls away.
option(TARN_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)

if(TARN_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer
        -fno-sanitize-recover=all)
    add_link_options(-fsanitize=address,undefined)
endif()
