#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QPlainTextEdit>
#include <QCoreApplication>
#include <QHeaderView>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QTranslator>
#include <QWindow>
#include <atomic>
#include <functional>
#include <thread>
#include <stdexcept>

#include "DiagnosisDialog.h"
#include "GridModel.h"
#include "Programator.h"
#include "Translations.h"
#include "Settings.h"
#include "fake_toolkit.h"
#include "scoped_variable.h"

namespace {

class WindowTest : public testing::Test {
protected:
    ScriptedToolkit toolkit;
};

TEST_F(WindowTest, StartsWithTitleEmptyLabelAndLabelledGrid) {
    TForm1 form(toolkit);
    EXPECT_EQ(Form1, &form);
    EXPECT_EQ(form.windowTitle(), "Programator KTQ-51");
    EXPECT_TRUE(form.Informace->text().isEmpty());
    EXPECT_EQ(form.SDataCells->rowCount(), 256);
    EXPECT_EQ(form.SDataCells->columnCount(), 17);
    EXPECT_EQ(form.SDataCells->Cell(0, 0), "3000");
    EXPECT_EQ(form.SDataCells->Cell(0, 255), "3FF0");
    EXPECT_EQ(form.SDataCells->Cell(1, 0), "FF");
    EXPECT_EQ(form.SDataCells->Cell(16, 255), "FF");
    // What the view shows comes from the same cells.
    EXPECT_EQ(form.SData->model()->data(form.SData->model()->index(255, 0)).toString(), "3FF0");
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(WindowTest, AddressColumnIsFixedAndGridIsReadOnly) {
    TForm1 form(toolkit);
    const QModelIndex address = form.SDataCells->index(3, 0);
    const QModelIndex byte = form.SDataCells->index(3, 1);
    EXPECT_FALSE(form.SDataCells->flags(address) & Qt::ItemIsSelectable);
    EXPECT_FALSE(form.SDataCells->flags(address) & Qt::ItemIsEditable);
    EXPECT_FALSE(form.SDataCells->flags(byte) & Qt::ItemIsEditable);
    EXPECT_EQ(form.SDataCells->data(address, Qt::BackgroundRole).value<QBrush>().color(),
              QApplication::palette().color(QPalette::Dark));
    EXPECT_FALSE(form.SDataCells->data(byte, Qt::BackgroundRole).isValid());
    EXPECT_EQ(form.SData->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_FALSE(form.SData->showGrid());
    EXPECT_EQ(form.SData->toolTip(), "Programovaná data");
}

TEST_F(WindowTest, LayoutKeepsPositionsWhenResized) {
    TForm1 form(toolkit);
    form.show();
    EXPECT_EQ(form.SData->geometry(), QRect(14, 40, 531, 409));
    EXPECT_EQ(form.SData->horizontalHeader()->defaultSectionSize(), 30);
    EXPECT_EQ(form.SData->verticalHeader()->defaultSectionSize(), 20);
    EXPECT_EQ(form.Informace->pos(), QPoint(192, 472));
    EXPECT_EQ(form.Informace->font().pixelSize(), 16);
    EXPECT_TRUE(form.Informace->alignment() & Qt::AlignVCenter);
    form.resize(800, 700);
    QCoreApplication::processEvents();
    EXPECT_EQ(form.SData->geometry(), QRect(14, 40, 531, 409));
    EXPECT_EQ(form.Informace->pos(), QPoint(192, 472));
}

TEST_F(WindowTest, MenuCaptionsShortcutsAndEnabledStates) {
    TForm1 form(toolkit);
    QList<QString> tops;
    for (QAction* a : form.MainMenu1->actions()) tops << a->text();
    EXPECT_EQ(tops, (QList<QString>{"Soubor", "Nástroje", "Nastavení", "Nápověda"}));

    const struct {
        QAction* action;
        const char* name;
        const char* caption;
        QKeySequence shortcut;
        bool enabled;
    } items[] = {
        {form.Otev1, "Otev1", "Otevřít ", QKeySequence("Ctrl+O"), true},
        {form.N1, "N1", "--------", QKeySequence(), true},
        {form.Konec1, "Konec1", "Konec", QKeySequence("Ctrl+K"), true},
        {form.Programuj1, "Programuj1", "Programuj", QKeySequence("Ctrl+P"), true},
        {form.port1, "port1", "COM1", QKeySequence(), false},
        {form.port2, "port2", "COM2", QKeySequence(), true},
        {form.port3, "port3", "COM3", QKeySequence(), true},
        {form.port4, "port4", "COM4", QKeySequence(), true},
        {form.port5, "port5", "COM5", QKeySequence(), true},
        {form.Vytvoil1, "Vytvoil1", "Vytvořil", QKeySequence(), true},
    };
    for (const auto& item : items) {
        EXPECT_EQ(item.action->objectName(), item.name);
        EXPECT_EQ(item.action->text(), item.caption) << item.name;
        EXPECT_EQ(item.action->shortcut(), item.shortcut) << item.name;
        EXPECT_EQ(item.action->isEnabled(), item.enabled) << item.name;
        EXPECT_FALSE(item.action->isSeparator()) << item.name;
    }
    EXPECT_EQ(form.Soubor1->actions().mid(0, 3), (QList<QAction*>{form.Otev1, form.N1, form.Konec1}));
    // The language below the ports, kept there when the menu adds ports.
    const QList<QAction*> settings = form.Nastaven1->actions();
    ASSERT_EQ(settings.size(), 7);
    EXPECT_EQ(settings.mid(0, 5), (QList<QAction*>{form.port1, form.port2, form.port3, form.port4, form.port5}));
    EXPECT_TRUE(settings[5]->isSeparator());
    EXPECT_EQ(settings[6], form.JazykLanguage1->menuAction());
    EXPECT_EQ(settings[6]->text(), "Jazyk / Language");
    EXPECT_TRUE(form.etina1->isChecked());
}

// Every caption of the window, its menus' items and their submenus'.
QStringList Captions(const TForm1& form) {
    QStringList captions{form.windowTitle(), form.SData->toolTip(), form.Informace->text()};
    std::function<void(const QList<QAction*>&)> walk = [&](const QList<QAction*>& actions) {
        for (QAction* action : actions) {
            captions << action->text() << action->toolTip();
            if (action->menu() != nullptr) walk(action->menu()->actions());
        }
    };
    walk(form.MainMenu1->actions());
    return captions;
}

// English at once, without a restart, and kept for the next start; Czech
// comes back the same way. Whatever the system's language, Czech is the
// start unless the settings or KTQ51_LANG say otherwise.
TEST_F(WindowTest, LanguageChangesAtOnceAndIsKept) {
    TForm1 form(toolkit);
    form.Programuj1->trigger();  // refused: the label says so
    form.Ports->Refresh();       // as the menu opens: the COM items' tooltips
    const QString czech = Captions(form).join('|');
    form.English1->trigger();
    EXPECT_TRUE(form.English1->isChecked());
    EXPECT_EQ(ProgramSettings()->value("language").toString(), "en");
    EXPECT_EQ(form.Informace->text(), "Programming cancelled");
    const QRegularExpression czechLetter("[áčďéěíňóřšťúůýžÁČĎÉĚÍŇÓŘŠŤÚŮÝŽ]");
    // Nothing Czech left: no Czech letter, and no caption that is a Czech
    // text where the English one differs ("Konec", "Soubor").
    QStringList czechOnly;
#define KTQ51_CZECH_ONLY(key) \
    if (kCzechTexts.key != kEnglishTexts.key) czechOnly << QString::fromUtf8(kCzechTexts.key.data(), kCzechTexts.key.size());
    KTQ51_TEXT_KEYS(KTQ51_CZECH_ONLY)
#undef KTQ51_CZECH_ONLY
    for (const QString& caption : Captions(form)) {
        const bool language = caption == "Jazyk / Language" || caption == "Čeština";
        EXPECT_TRUE(language || !caption.contains(czechLetter)) << caption.toStdString();
        EXPECT_FALSE(czechOnly.contains(caption)) << caption.toStdString();
    }
    form.Vytvoil1->trigger();
    form.Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 3u);
    EXPECT_TRUE(toolkit.boxes[1].text.contains("\nVersion ")) << toolkit.boxes[1].text.toStdString();
    EXPECT_EQ(toolkit.boxes[2].text, "Do you really want to reprogram the KTQ - 51?");
    EXPECT_EQ(StartLanguage(), Language::English);
    {
        const ScopedVariable variable("KTQ51_LANG", "cs");
        EXPECT_EQ(StartLanguage(), Language::Czech);
    }
    // A choice that cannot be kept is said so, and holds all the same.
    const QString base = QFileInfo(ProgramSettings()->fileName()).dir().absolutePath() + "/..";
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("/proc/ktq51-nowhere"));
    form.etina1->trigger();
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, base);
    ASSERT_EQ(toolkit.boxes.size(), 4u);
    EXPECT_TRUE(toolkit.boxes[3].text.startsWith("Jazyk nelze uložit do nastavení")) << toolkit.boxes[3].text.toStdString();
    form.etina1->trigger();
    EXPECT_EQ(toolkit.boxes.size(), 4u);
    EXPECT_EQ(Captions(form).join('|').toStdString(), czech.toStdString());
    EXPECT_EQ(StartLanguage(), Language::Czech);
    ProgramSettings()->remove("language");
    EXPECT_EQ(StartLanguage(), Language::Czech);
}

// Each port item names its device, read afresh whenever the menu opens.
// Each COM item says what is behind its device, read afresh whenever the
// menu opens: the port found there, or that nothing is connected.
TEST_F(WindowTest, PortItemsSayWhatIsBehindThemAsTheMenuOpens) {
    const PortInfo adapter{"COM7", "COM7", "USB-SERIAL CH340", "wch.cn", "1a86:7523", "", "", true};
    TForm1 form(toolkit, [&] { return std::vector<PortInfo>{adapter}; });
    EXPECT_TRUE(form.Nastaven1->toolTipsVisible());
    {
        const ScopedVariable com4("KTQ51_COM4", "COM7");
        emit form.Nastaven1->aboutToShow();
        EXPECT_EQ(form.port4->toolTip(), "COM7 – USB-SERIAL CH340 (1a86:7523)");
        EXPECT_TRUE(form.Ports->OtherItems().isEmpty()) << "the adapter is behind COM4: no item of its own";
        ScopedVariable::Set("KTQ51_COM4", "COM99");
        emit form.Nastaven1->aboutToShow();
        EXPECT_EQ(form.port4->toolTip(), "COM99: nic není připojeno");
        ASSERT_EQ(form.Ports->OtherItems().size(), 1);
        EXPECT_EQ(form.Ports->OtherItems()[0]->text(), "COM7 – USB-SERIAL CH340 (1a86:7523)");
    }
    // The test port behind COM4 (a pseudo-terminal, or Wine's COM4) exists
    // but is no listed port: it is named by its path.
    emit form.Nastaven1->aboutToShow();
    EXPECT_EQ(form.port4->toolTip().toStdString(), PortName::Com(4).Device());
}

// An adapter without a port is in the menu, greyed, with what to do as its
// tooltip. The diagnosis names it and the last error, and Kopírovat puts
// all of it on the clipboard.
TEST_F(WindowTest, AdapterWithoutAPortIsShownAndTheDiagnosisCopied) {
    PortInfo ch340;
    ch340.usb = true;
    ch340.vidPid = "1a86:7523";
    ch340.location = "1-1.4";
    ch340.trouble.boundDriver = "usbfs";
    ch340.trouble.holder = "brltty (PID 812)";
    TForm1 form(toolkit, [&] { return std::vector<PortInfo>{ch340}; });
    emit form.Nastaven1->aboutToShow();
    ASSERT_EQ(form.Ports->AdaptersWithoutPort().size(), 1);
    const QAction* item = form.Ports->AdaptersWithoutPort()[0];
    EXPECT_FALSE(item->isEnabled());
    EXPECT_EQ(item->text(), "Převodník CH340 (1a86:7523): převzal ho program brltty (PID 812)");
    EXPECT_TRUE(item->toolTip().contains("sudo apt remove brltty")) << item->toolTip().toStdString();

    toolkit.files = {QStringLiteral("/nonexistent/blink.hex")};
    form.Otev1->trigger();
    QString shown, copied;
    toolkit.onDialogShown = [&](QDialog& dialog) {
        auto& diagnosis = dynamic_cast<DiagnosisDialog&>(dialog);
        shown = diagnosis.Text->toPlainText();
        diagnosis.CopyButton->click();
        copied = QApplication::clipboard()->text();
    };
    form.Diagnostika1->trigger();
    EXPECT_TRUE(shown.startsWith("Programator KTQ-51 ")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("Převodník CH340 (1a86:7523) je připojen, ale převzal ho program brltty (PID 812)"));
    EXPECT_TRUE(shown.contains("Poslední chyba:\nSoubor ")) << "the last error: " << shown.toStdString();
    EXPECT_EQ(copied, shown);
}

TEST_F(WindowTest, HyphenItemDoesNothing) {
    TForm1 form(toolkit);
    form.show();
    form.N1->trigger();
    QCoreApplication::processEvents();
    EXPECT_TRUE(form.isVisible());
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(toolkit.dialogs, 0);
    EXPECT_TRUE(form.Informace->text().isEmpty());
}

TEST_F(WindowTest, CtrlKClosesTheWindow) {
    TForm1 form(toolkit);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_K, Qt::ControlModifier);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(WindowTest, CtrlOAndCtrlPRunTheirCommands) {
    TForm1 form(toolkit);
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&form));
    QTest::keyClick(&form, Qt::Key_O, Qt::ControlModifier);  // the dialog is cancelled
    EXPECT_EQ(toolkit.dialogs, 1);
    QTest::keyClick(&form, Qt::Key_P, Qt::ControlModifier);  // the question is refused
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, "Opravdu chcete přeprogramovat KTQ - 51?");
    EXPECT_EQ(form.Informace->text(), "Programování zrušeno");
}

// Konec and the title-bar close button both end the message loop, which is
// what ends the program.
void ExpectCloseEndsMessageLoop(TForm1& form, const std::function<void()>& close) {
    form.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&form));
    QTimer::singleShot(0, close);
    QTimer watchdog;
    bool timedOut = false;
    QObject::connect(&watchdog, &QTimer::timeout, [&] { timedOut = true; QCoreApplication::exit(2); });
    watchdog.start(5000);
    EXPECT_EQ(QApplication::exec(), 0);
    EXPECT_FALSE(timedOut);
    EXPECT_FALSE(form.isVisible());
}

TEST_F(WindowTest, KonecEndsTheMessageLoop) {
    TForm1 form(toolkit);
    ExpectCloseEndsMessageLoop(form, [&] { form.Konec1->trigger(); });
}

TEST_F(WindowTest, TitleBarCloseEndsTheMessageLoop) {
    TForm1 form(toolkit);
    // A close request from the window system, as the title-bar button sends.
    ExpectCloseEndsMessageLoop(form, [&] { form.windowHandle()->close(); });
}

TEST_F(WindowTest, AboutBoxIsTwoLinesOfInformation) {
    TForm1 form(toolkit);
    form.Vytvoil1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Information);
    EXPECT_EQ(toolkit.boxes[0].buttons, mbOK);
    EXPECT_EQ(toolkit.boxes[0].text.count('\n'), 1);
    EXPECT_TRUE(toolkit.boxes[0].text.startsWith("Programator KTQ-51\n"));
}

TEST_F(WindowTest, ExceptionFromACommandIsReportedAndTheWindowStays) {
    TForm1 form(toolkit);
    form.show();
    form.RunCommand([] { throw std::runtime_error("Soubor nelze číst"); });
    form.RunCommand([] { throw 42; });
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[0].text, "Soubor nelze číst");
    EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Error);
    EXPECT_EQ(toolkit.boxes[0].buttons, mbOK);
    EXPECT_TRUE(toolkit.boxes[1].text.isEmpty());
    EXPECT_TRUE(form.isVisible());
}

TEST_F(WindowTest, ExceptionFromAMenuHandlerIsCaughtByTheDispatcher) {
    TForm1 form(toolkit);
    form.show();
    // The scripted dialog fails while Otevřít runs: the exception leaves the
    // handler through the menu's own dispatch.
    toolkit.onDialog = [] { throw std::runtime_error("dialog selhal"); };
    toolkit.onBox = nullptr;
    form.Otev1->trigger();
    ASSERT_EQ(toolkit.dialogs, 1);
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, "dialog selhal");
    EXPECT_TRUE(form.isVisible());
}

// The real Qt boxes: shown, inspected and dismissed by the test.
TEST(QtToolkitTest, AboutBoxAppearsAndIsDismissed) {
    QtToolkit toolkit;
    TForm1 form(toolkit);
    form.show();
    QString seenText;
    QMessageBox::Icon seenIcon = QMessageBox::NoIcon;
    int seenButtons = 0;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seenText = box->text();
        seenIcon = box->icon();
        seenButtons = static_cast<int>(box->buttons().size());
        box->button(QMessageBox::Ok)->click();
    });
    form.Vytvoil1->trigger();
    EXPECT_EQ(seenIcon, QMessageBox::Information);
    EXPECT_EQ(seenButtons, 1);
    EXPECT_TRUE(seenText.startsWith("Programator KTQ-51\n"));
}

TEST(QtToolkitTest, YesNoBoxReportsTheButtonAndTreatsEscapeAsRefusal) {
    QtToolkit toolkit;
    // The buttons are Czech even where Qt's translations are missing.
    for (QTranslator* translator : qApp->findChildren<QTranslator*>()) QCoreApplication::removeTranslator(translator);
    QString yes, no;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        yes = box->button(QMessageBox::Yes)->text();
        no = box->button(QMessageBox::No)->text();
        box->button(QMessageBox::Yes)->click();
    });
    EXPECT_EQ(toolkit.MessageDlg(nullptr, "Otázka", MsgKind::Warning, mbYes | mbNo), ModalResult::Yes);
    EXPECT_EQ(yes, "Ano");
    EXPECT_EQ(no, "Ne");
    QTimer::singleShot(0, [] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box->icon(), QMessageBox::Warning);
        box->reject();
    });
    EXPECT_NE(toolkit.MessageDlg(nullptr, "Otázka", MsgKind::Warning, mbYes | mbNo), ModalResult::Yes);
}

TEST(QtToolkitTest, ProgressBoxShowsCountKeepsTheLoopRunningAndIgnoresEscape) {
    QtToolkit toolkit;
    QWidget owner;
    owner.show();
    int ticks = 0;
    QTimer mainLoopTicker;  // runs on the user-interface thread during the job
    QObject::connect(&mainLoopTicker, &QTimer::timeout, [&] { ++ticks; });
    mainLoopTicker.start(10);

    std::atomic<bool> boxSeen{false};
    std::atomic<bool> stillOpenAfterEscape{false};
    QString shownText, shownPort;
    QTimer::singleShot(150, [&] {
        QWidget* box = QApplication::activeModalWidget();
        boxSeen = box != nullptr && box->objectName() == "ProgressBox";
        if (box == nullptr) return;
        QTest::keyClick(box, Qt::Key_Escape);
        stillOpenAfterEscape = box->isVisible();
        if (auto* label = box->findChild<QLabel*>("ProgressText")) shownText = label->text();
        if (auto* port = box->findChild<QLabel*>("ProgressPort")) shownPort = port->text();
    });
    // The work runs elsewhere, as a board run does; the box only asks.
    std::atomic<std::size_t> done{0};
    std::atomic<bool> ended{false};
    std::thread work([&] {
        done = 40;
        std::this_thread::sleep_for(std::chrono::milliseconds(400));
        done = 100;
        ended = true;
    });
    toolkit.ShowProgress(&owner, 100, QStringLiteral("Port: COM7"), {[&] { return done.load(); }, [&] { return ended.load(); }});
    work.join();
    EXPECT_TRUE(boxSeen);
    EXPECT_TRUE(stillOpenAfterEscape);
    EXPECT_EQ(shownText, "Odesláno 40 z 100 bajtů, zbývá asi 1 s");
    EXPECT_EQ(shownPort, "Port: COM7");
    EXPECT_GT(ticks, 10) << "the event loop stood still during the work";
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST(TranslationsTest, StandardButtonsSpeakTheLanguageChosen) {
#ifdef KTQ_EMBEDDED_TRANSLATIONS
    // Built into the program: they must load.
    ASSERT_TRUE(UseLanguage(Language::Czech));
#else
    if (!UseLanguage(Language::Czech)) GTEST_SKIP() << "Qt's Czech translations are not installed";
#endif
    auto buttons = [] {
        QMessageBox box(QMessageBox::Warning, "t", "x", QMessageBox::Yes | QMessageBox::No);
        return box.button(QMessageBox::Yes)->text().remove('&') + "/" + box.button(QMessageBox::No)->text().remove('&');
    };
    EXPECT_EQ(buttons(), "Ano/Ne");
    UseLanguage(Language::English);
    EXPECT_EQ(buttons(), "Yes/No");
    UseLanguage(Language::Czech);
    EXPECT_EQ(buttons(), "Ano/Ne");
}

}  // namespace
