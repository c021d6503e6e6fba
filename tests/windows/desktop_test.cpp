// What the program asks of the desktop and shows there: the window system it picks, Qt's own
// texts in Russian, status texts shown whole, and disabled captions that look disabled.
#include "app/platform.h"
#include "support/formfixture.h"

#include <QAction>
#include <QColorDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

#include <map>

using namespace tovrin;
using namespace tovrin::test;

class DesktopTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        substituteWindowFont();
        QVERIFY(installQtTranslations(*QCoreApplication::instance()));
    }

    void platform_data()
    {
        QTest::addColumn<QString>("environment"); // NAME=value, separated by spaces
        QTest::addColumn<QString>("platform");
        QTest::newRow("X11 alone") << "DISPLAY=:0"
                                   << "";
        QTest::newRow("Wayland alone") << "WAYLAND_DISPLAY=wayland-0"
                                       << "";
        QTest::newRow("Wayland with XWayland") << "WAYLAND_DISPLAY=wayland-0 DISPLAY=:0"
                                               << "xcb;wayland";
        QTest::newRow("a Wayland session") << "XDG_SESSION_TYPE=wayland DISPLAY=:0"
                                           << "xcb;wayland";
        QTest::newRow("an X11 session") << "XDG_SESSION_TYPE=x11 DISPLAY=:0"
                                        << "";
        QTest::newRow("the user's choice")
            << "QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-0 DISPLAY=:0"
            << "";
        QTest::newRow("an empty choice is none")
            << "QT_QPA_PLATFORM= WAYLAND_DISPLAY=wayland-0 DISPLAY=:0"
            << "xcb;wayland";
        QTest::newRow("nothing") << ""
                                 << "";
    }

    void platform()
    {
        QFETCH(QString, environment);
        QFETCH(QString, platform);
        std::map<std::string, std::string> env;
        for (const QString& pair : environment.split(QLatin1Char(' '), Qt::SkipEmptyParts))
            env[pair.section(QLatin1Char('='), 0, 0).toStdString()] =
                pair.section(QLatin1Char('='), 1).toStdString();
        const std::string chosen = preferredPlatform([&env](const char* name) -> const char* {
            const auto it = env.find(name);
            return it == env.end() ? nullptr : it->second.c_str();
        });
        QCOMPARE(QString::fromStdString(chosen), platform);
    }

    // Qt's own dialogs speak Russian: none of their English words is left.
    void qtDialogsInRussian()
    {
        const QStringList english = {"&Basic colors",
                                     "&Custom colors",
                                     "&Pick Screen Color",
                                     "&Add to Custom Colors",
                                     "OK",
                                     "&OK",
                                     "Cancel",
                                     "&Cancel"};
        QColorDialog colours;
        colours.setOption(QColorDialog::DontUseNativeDialog);
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Товрин"), QStringLiteral("текст"),
                        QMessageBox::Ok);
        for (QWidget* dialog : {static_cast<QWidget*>(&colours), static_cast<QWidget*>(&box)}) {
            QStringList seen;
            for (const QLabel* label : dialog->findChildren<QLabel*>())
                seen << label->text();
            for (const QPushButton* button : dialog->findChildren<QPushButton*>())
                seen << button->text();
            for (const QString& text : seen)
                QVERIFY2(!english.contains(text), qPrintable(text));
        }
        QCOMPARE(box.button(QMessageBox::Ok)->text().remove(QLatin1Char('&')),
                 QStringLiteral("ОК"));
    }

    // Every status text fits its panel whole, measured by the panel itself.
    void statusTextsFitTheirPanels_data()
    {
        QTest::addColumn<bool>("withWords");
        QTest::newRow("knowledge file missing") << false;
        QTest::newRow("delivered data") << true;
    }

    void statusTextsFitTheirPanels()
    {
        QFETCH(bool, withWords);
        ScratchDir dir(true);
        if (!withWords)
            dir.remove("Base\\Words.Dat");
        FormFixture f;
        f->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.form.get()));
        tick(*f, 3);
        actionOf(*f, "Cpu31")->trigger();
        const QStringList panel0 = withWords
            ? QStringList{QStringLiteral("Загрузка окончена")}
            : QStringList{QStringLiteral("Идёт загрузка подождите...")};
        QCOMPARE(panelOf(*f, 0)->text(), panel0.front());
        if (withWords)
            QVERIFY(panelOf(*f, 1)->text().startsWith(QStringLiteral("Программе известно:")));
        QCOMPARE(panelOf(*f, 2)->text(), QStringLiteral("Режим Cpu\\Cpu"));
        for (QLabel* panel : {panelOf(*f, 0), panelOf(*f, 1), panelOf(*f, 2)})
            QVERIFY2(panel->sizeHint().width() <= panel->width(),
                     qPrintable(QStringLiteral("%1: %2 > %3")
                                    .arg(panel->text())
                                    .arg(panel->sizeHint().width())
                                    .arg(panel->width())));
    }

    // With nothing to say or undo, "Сказать", "E/R" and "<" read as disabled in every colour
    // setting: their disabled captions keep the window's grey.
    void disabledCaptionsLookDisabled_data()
    {
        QTest::addColumn<int>("setting");
        QTest::newRow("at start") << 0;
        QTest::newRow("after the restore") << 1;
        QTest::newRow("after a caption colour") << 2;
    }

    void disabledCaptionsLookDisabled()
    {
        QFETCH(int, setting);
        ScratchDir dir;
        writeBase(dir);
        FormFixture f;
        if (setting == 1)
            actionOf(*f, "N13")->trigger();
        if (setting == 2) {
            f.pickers.colors = {QColor(Qt::blue), QColor(Qt::blue), QColor(Qt::blue)};
            actionOf(*f, "N9")->trigger();
        }
        tick(*f, 1);
        const QColor grey = f->palette().color(QPalette::Disabled, QPalette::ButtonText);
        for (QToolButton* button :
             {buttonOf(*f, "Speak"), buttonOf(*f, "EnRus"), buttonOf(*f, "Cancel")}) {
            QVERIFY(!button->isEnabled());
            const QPalette palette = button->palette();
            QCOMPARE(palette.color(QPalette::Disabled, QPalette::ButtonText), grey);
            QVERIFY(palette.color(QPalette::Active, QPalette::ButtonText) != grey);
        }
    }
};

QTEST_MAIN(DesktopTest)
#include "desktop_test.moc"
