#include "store/settingsstore.h"
#include "shell/tarnstarter.h"
#include "support/teststore.h"

#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <memory>

namespace {

// Every setting the full save writes: the control and a value the operator
// might type that differs from its default.
const std::pair<const char *, const char *> textSettings[] = {
    {"Text4", "15"},
    {"Text6", "20"},
    {"Text7", "8"},
    {"Text8", "3"},
    {"Text10", "9"},
    {"Text9", "7"},
    {"Text2", "My box"},
    {"Text3", "Hello"},
    {"Text5", "27960"},
    {"Text12", "5"},
    {"Text11", "1.5"},
    {"Text13", "6"},
    {"Text14", "400"},
    {"Text15", "secret"},
    {"Text16", "admin"},
};
const char *const savedBoxes[]
    = {"Check17", "Check18", "Check20", "Check21", "Check23", "Check25", "Check22"};
const char *const selfSavingBoxes[] = {"Check26", "Check27", "Check28", "Check29", "Check30"};

class Window
{
public:
    Window() : window(std::make_unique<TarnStarter>()) { }

    template<typename T = QWidget> T *get(const char *name) const
    {
        auto *widget = window->findChild<T *>(QLatin1String(name));
        Q_ASSERT(widget);
        return widget;
    }
    QString text(const char *name) const { return get<QLineEdit>(name)->text(); }
    bool checked(const char *name) const { return get<QCheckBox>(name)->isChecked(); }
    QString selectedMap() const
    {
        const auto selected = get<QListWidget>("List1")->selectedItems();
        return selected.isEmpty() ? QString() : selected.first()->text();
    }
    void selectMap(const QString &map) const
    {
        auto *list = get<QListWidget>("List1");
        list->setCurrentItem(list->findItems(map, Qt::MatchExactly).first());
    }
    void exit() const { get<QPushButton>("Command3")->click(); }

    std::unique_ptr<TarnStarter> window;
};

QString stored(const QString &name)
{
    return RegGet(hkeyLocalMachine, launcherKey, name);
}

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void firstStartShowsTheDefaults();
    void exitKeepsEverythingAndTheCloseBoxOnlyWhatSavesItself();
    void emptyTextsAndPasswords();
    void checkValuesInEitherForm_data();
    void checkValuesInEitherForm();
    void storedGameType_data();
    void storedGameType();
    void storedFlagsWinOverTheGameType();
    void startMap();
    void saveRemovesTheOldConfigurationBesideTheFolder();
    void textsStopAt254Characters();
};

void TestSettings::firstStartShowsTheDefaults()
{
    TestStore store;
    Window w;
    const QStringList limits {w.text("Text4"), w.text("Text6"), w.text("Text7"), w.text("Text8"),
        w.text("Text10"), w.text("Text9")};
    QCOMPARE(limits, QStringList({"30", "60", "60", "2", "4", "4"}));
    QCOMPARE(w.text("Text2"), QStringLiteral("Tarn Server Launcher v1.8 <Dedicated>"));
    QCOMPARE(w.text("Text3"), QStringLiteral("Die..."));
    QCOMPARE(w.text("Text5"), QStringLiteral("28910"));
    QCOMPARE(w.text("Text11"), QStringLiteral("1.0"));
    QCOMPARE(w.text("Text14"), QStringLiteral("800"));
    QVERIFY(w.get<QRadioButton>("Option1_0")->isChecked());
    for (QCheckBox *box : w.window->findChildren<QCheckBox *>())
        QCOMPARE(box->isChecked(), box->objectName() == QLatin1String("Check19"));
    QCOMPARE(w.selectedMap(), QStringLiteral("DM/MARLOW"));
}

void TestSettings::exitKeepsEverythingAndTheCloseBoxOnlyWhatSavesItself()
{
    TestStore store;
    {
        Window w;
        w.get<QRadioButton>("Option1_6")->click();
        for (const auto &[name, value] : textSettings)
            w.get<QLineEdit>(name)->setText(value);
        for (const char *name : savedBoxes)
            w.get<QCheckBox>(name)->setChecked(true);
        for (const char *name : selfSavingBoxes)
            w.get<QCheckBox>(name)->setChecked(true);
        for (int number = 1; number <= 16; number += 3)
            w.get<QCheckBox>(qPrintable(QStringLiteral("Check%1").arg(number)))->setChecked(true);
        w.selectMap("DM/QEVCTB1");
        w.exit();
    }
    {
        Window w;
        QVERIFY(w.get<QRadioButton>("Option1_6")->isChecked());
        for (const auto &[name, value] : textSettings)
            QCOMPARE(w.text(name), QString::fromLatin1(value));
        for (const char *name : savedBoxes)
            QVERIFY2(w.checked(name), name);
        for (const char *name : selfSavingBoxes)
            QVERIFY2(w.checked(name), name);
        for (int number = 1; number <= 16; ++number)
            QCOMPARE(w.checked(qPrintable(QStringLiteral("Check%1").arg(number))), number % 3 == 1);
        QCOMPARE(w.selectedMap(), QStringLiteral("DM/QEVCTB1"));

        // Changes followed by the close box: only the boxes that save
        // themselves and the map cycle survive.
        w.get<QLineEdit>("Text4")->setText("99");
        w.get<QCheckBox>("Check17")->setChecked(false);
        w.get<QCheckBox>("Check27")->setChecked(false);
        w.selectMap("DM/MARLOW");
        w.get<QPushButton>("Command2")->click();
        w.window->close();
    }
    Window w;
    QCOMPARE(w.text("Text4"), QStringLiteral("15"));
    QVERIFY(w.checked("Check17"));
    QVERIFY(!w.checked("Check27"));
    QCOMPARE(w.get<QListWidget>("List2")->count(), 1);
    QCOMPARE(w.selectedMap(), QStringLiteral("DM/QEVCTB1"));
}

void TestSettings::emptyTextsAndPasswords()
{
    TestStore store;
    {
        Window w;
        w.get<QLineEdit>("Text4")->clear();
        w.get<QLineEdit>("Text15")->setText("x");
        w.get<QLineEdit>("Text16")->clear();
        w.exit();
    }
    QCOMPARE(stored("Frag_Limit"), QString());
    QCOMPARE(stored("password"), QStringLiteral("x"));
    QCOMPARE(stored("rcon_pw"), QStringLiteral("x"));
    Window w;
    QCOMPARE(w.text("Text4"), QStringLiteral("30"));
    QCOMPARE(w.text("Text15"), QString());
    QCOMPARE(w.text("Text16"), QString());
}

void TestSettings::checkValuesInEitherForm_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("state");
    QTest::newRow("plain") << "1" << int(Qt::Checked);
    QTest::newRow("blank") << " 1" << int(Qt::Checked);
    QTest::newRow("empty") << "" << int(Qt::Unchecked);
    QTest::newRow("zero") << " 0" << int(Qt::Unchecked);
    QTest::newRow("grayed") << "2" << int(Qt::PartiallyChecked);
    QTest::newRow("minus one") << "-1" << int(Qt::Checked);
    QTest::newRow("seven") << "7" << int(Qt::Checked);
    QTest::newRow("word") << "yes" << int(Qt::Unchecked);
}

void TestSettings::checkValuesInEitherForm()
{
    QFETCH(QString, value);
    QFETCH(int, state);
    TestStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "Public_Server", value);
    rEGpUT(hkeyLocalMachine, launcherKey, "Developer", value);
    rEGpUT(hkeyLocalMachine, launcherKey + "\\DMFlags", " 3", value);
    Window w;
    QCOMPARE(int(w.get<QCheckBox>("Check17")->checkState()), state);
    QCOMPARE(int(w.get<QCheckBox>("Check27")->checkState()), state);
    QCOMPARE(int(w.get<QCheckBox>("Check3")->checkState()), state);

    // A grayed box shows grayed, but clicks only check and clear it.
    auto *box = w.get<QCheckBox>("Check17");
    for (int click = 0; click < 3; ++click) {
        QTest::mouseClick(box, Qt::LeftButton);
        QVERIFY(box->checkState() != Qt::PartiallyChecked);
    }
}

void TestSettings::storedGameType_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("index");
    QTest::newRow("control") << "5" << 5;
    QTest::newRow("blank") << " 3" << 3;
    QTest::newRow("too large") << "9" << 0;
    QTest::newRow("negative") << "-1" << 0;
    QTest::newRow("word") << "ctf" << 0;
}

void TestSettings::storedGameType()
{
    QFETCH(QString, value);
    QFETCH(int, index);
    TestStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", value);
    Window w;
    QVERIFY(w.get<QRadioButton>(qPrintable(QStringLiteral("Option1_%1").arg(index)))->isChecked());
    QCOMPARE(w.get("Text10")->isEnabled(), index == 5);
    QCOMPARE(w.get("Text9")->isEnabled(), index == 3);
}

void TestSettings::storedFlagsWinOverTheGameType()
{
    TestStore store;
    rEGpUT(hkeyLocalMachine, launcherKey, "Game_Type", "4");
    rEGpUT(hkeyLocalMachine, launcherKey + "\\DMFlags", " 1", " 1");
    rEGpUT(hkeyLocalMachine, launcherKey + "\\DMFlags", " 5", " 0");
    Window w;
    QVERIFY(w.checked("Check1"));
    QVERIFY(!w.get("Check1")->isEnabled());
    QVERIFY(!w.checked("Check5"));
}

void TestSettings::startMap()
{
    TestStore store;
    {
        Window w;
        w.get<QListWidget>("List1")->clearSelection();
        w.exit();
    }
    QCOMPARE(stored("Default_Map"), QStringLiteral("dm/marlow"));
    {
        Window w;
        QCOMPARE(w.selectedMap(), QStringLiteral("DM/MARLOW"));
    }
    rEGpUT(hkeyLocalMachine, launcherKey, "Default_Map", "dm/NoSuchMap");
    Window w;
    QCOMPARE(w.selectedMap(), QString());
}

void TestSettings::saveRemovesTheOldConfigurationBesideTheFolder()
{
    TestStore store;
    QTemporaryDir games;
    const QString folder = games.filePath("TARN");
    QVERIFY(QDir().mkpath(folder));
    QFile old(folder + "TarnStarter.cfg");
    QVERIFY(old.open(QIODevice::WriteOnly));
    old.close();
    QFile inside(folder + "/TarnStarter.cfg");
    QVERIFY(inside.open(QIODevice::WriteOnly));
    inside.close();

    Window w;
    w.get<QLineEdit>("Text1")->setText(folder);
    w.window->SaveSettings();
    QVERIFY(!old.exists());
    QVERIFY(inside.exists());
    QCOMPARE(stored("Game_Loc"), folder);
}

void TestSettings::textsStopAt254Characters()
{
    TestStore store;
    {
        Window w;
        auto *welcome = w.get<QLineEdit>("Text3");
        welcome->setFocus();
        welcome->selectAll();
        QTest::keyClicks(welcome, QString(300, 'w'));
        QCOMPARE(welcome->text().size(), 254);
        w.exit();
    }
    Window w;
    QCOMPARE(w.text("Text3"), QString(254, 'w'));
}

QTEST_MAIN(TestSettings)
#include "test_settings.moc"
