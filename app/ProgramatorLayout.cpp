// The window's fixed layout, as the designer would keep it: its size, font
// and icon, the menu with its captions, names and shortcuts, the grid and the
// status label at their places; and the frame taken off the layout's size
// once the window system has drawn one.
#include <QAction>
#include <QActionGroup>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QWindow>
#include <algorithm>
#include <tuple>

#include "GridModel.h"
#include "Programator.h"
#include "QtText.h"
#include "texts.h"

namespace {

// The window's outer size in the layout.
constexpr int kWindowWidth = 567;
constexpr int kWindowHeight = 568;

// Pixel font heights of the layout: the window's font and the label's.
constexpr int kWindowFontPixels = 11;
constexpr int kLabelFontPixels = 16;

}  // namespace

void TForm1::BuildLayout() {
    setObjectName("Form1");
    QIcon icon;
    icon.addFile(QStringLiteral(":/icons/programator-48.png"));
    icon.addFile(QStringLiteral(":/icons/programator-256.png"));
    setWindowIcon(icon);
    QFont font = this->font();
    font.setPixelSize(kWindowFontPixels);
    setFont(font);
    // The layout's 567 x 568 is the whole window, frame and title bar
    // included; FitFrame takes the frame off once the window has one.
    move(207, 153);
    resize(kWindowWidth, kWindowHeight);
    BuildMenu();
    BuildControls();
    ApplyTexts();
}

void TForm1::ApplyTexts() {
    const TextTable& t = Text();
    setWindowTitle(Q(t.kWindowTitle));
    Soubor1->setTitle(Q(t.kMenuSoubor));
    Otev1->setText(Q(t.kMenuOtevrit));
    N1->setText(Q(t.kMenuHyphens));
    Konec1->setText(Q(t.kMenuKonec));
    Nstroje1->setTitle(Q(t.kMenuNastroje));
    Programuj1->setText(Q(t.kMenuProgramuj));
    Programujvechnydesky1->setText(Q(t.kMenuProgramujVse));
    Nastaven1->setTitle(Q(t.kMenuNastaveni));
    JazykLanguage1->setTitle(Q(t.kMenuJazyk));
    etina1->setText(Q(t.kLanguageCzech));
    English1->setText(Q(t.kLanguageEnglish));
    (CurrentLanguage() == Language::English ? English1 : etina1)->setChecked(true);
    Npovda1->setTitle(Q(t.kMenuNapoveda));
    Vytvoil1->setText(Q(t.kMenuVytvoril));
    Diagnostika1->setText(Q(t.kMenuDiagnostika));
    SData->setToolTip(Q(t.kGridHint));
    SData->setAccessibleName(Q(t.kGridHint));
    MainMenu1->setAccessibleName(Q(t.kAxMainMenu));
    // An open menu is a window of its own: a screen reader names it by its
    // title, as the menu bar shows it.
    for (QMenu* menu : {Soubor1, Nstroje1, Nastaven1, JazykLanguage1, Npovda1}) menu->setAccessibleName(menu->title());
    if (statusKey_ != nullptr) SetStatus(statusKey_, statusRest_);
}

QAction* TForm1::AddCommand(QMenu* menu, const char* name, const QString& caption,
                            void (TForm1::*handler)()) {
    QAction* action = menu->addAction(caption);
    action->setObjectName(name);
    if (handler != nullptr) {
        connect(action, &QAction::triggered, this, [this, handler] { RunCommand([this, handler] { (this->*handler)(); }); });
    }
    return action;
}

void TForm1::BuildMenu() {
    MainMenu1 = menuBar();
    MainMenu1->setObjectName("MainMenu1");

    Soubor1 = MainMenu1->addMenu(QString());
    Soubor1->setObjectName("Soubor1");
    Otev1 = AddCommand(Soubor1, "Otev1", QString(), &TForm1::Otev1Click);
    Otev1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    // An ordinary item captioned with eight hyphens, not a separator; it has
    // no handler, so choosing it does nothing.
    N1 = AddCommand(Soubor1, "N1", QString(), nullptr);
    Konec1 = AddCommand(Soubor1, "Konec1", QString(), &TForm1::Konec1Click);
    Konec1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));

    Nstroje1 = MainMenu1->addMenu(QString());
    Nstroje1->setObjectName("Nstroje1");
    Programuj1 = AddCommand(Nstroje1, "Programuj1", QString(), &TForm1::Programuj1Click);
    Programuj1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Nstroje1->addSeparator();
    Programujvechnydesky1 =
        AddCommand(Nstroje1, "Programujvechnydesky1", QString(), &TForm1::Programujvechnydesky1Click);
    Programujvechnydesky1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));

    Nastaven1 = MainMenu1->addMenu(QString());
    Nastaven1->setObjectName("Nastaven1");
    Ports = new PortMenu(*Nastaven1, ComHandle, listPorts_,
                         [this](const PortName& port, const std::optional<PortInfo>& listed) {
                             RunCommand([&] { SelectPort(port, listed); });
                         });
    port1 = Ports->ComItem(1);
    port2 = Ports->ComItem(2);
    port3 = Ports->ComItem(3);
    port4 = Ports->ComItem(4);
    port5 = Ports->ComItem(5);
    connect(Nastaven1, &QMenu::aboutToShow, this, [this] { RunCommand([this] { Ports->Refresh(); }); });
    // The language last, below the ports, which the port menu keeps above it;
    // each language is named in itself, and the item in both.
    QAction* languageSeparator = Nastaven1->addSeparator();
    JazykLanguage1 = Nastaven1->addMenu(QString());
    JazykLanguage1->setObjectName("JazykLanguage1");
    Ports->KeepAbove(languageSeparator);
    auto* languages = new QActionGroup(this);
    for (const auto& [item, name, language] : {std::tuple{&etina1, "etina1", Language::Czech},
                                               std::tuple{&English1, "English1", Language::English}}) {
        *item = AddCommand(JazykLanguage1, name, QString(), nullptr);
        (*item)->setCheckable(true);
        languages->addAction(*item);
        connect(*item, &QAction::triggered, this, [this, language] { RunCommand([&] { ChooseLanguage(language); }); });
    }

    Npovda1 = MainMenu1->addMenu(QString());
    Npovda1->setObjectName("Npovda1");
    Vytvoil1 = AddCommand(Npovda1, "Vytvoil1", QString(), &TForm1::Vytvoil1Click);
    Diagnostika1 = AddCommand(Npovda1, "Diagnostika1", QString(), &TForm1::Diagnostika1Click);
}

void TForm1::BuildControls() {
    // Fixed positions: resizing the window leaves the grid and label as they are.
    auto* client = new QWidget(this);
    client->setObjectName("client");
    setCentralWidget(client);

    SDataCells = new GridModel(this);
    SData = new QTableView(client);
    SData->setObjectName("SData");
    SData->setModel(SDataCells);
    SData->setItemDelegate(new GridCellDelegate(SData));
    SData->setGeometry(14, 40, 531, 409);
    SData->horizontalHeader()->hide();
    SData->verticalHeader()->hide();
    SData->horizontalHeader()->setMinimumSectionSize(1);
    SData->verticalHeader()->setMinimumSectionSize(1);
    SData->horizontalHeader()->setDefaultSectionSize(30);
    SData->verticalHeader()->setDefaultSectionSize(20);
    SData->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SData->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    SData->setShowGrid(false);
    SData->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SData->setSelectionMode(QAbstractItemView::SingleSelection);
    SData->setWordWrap(false);
    SData->setTextElideMode(Qt::ElideNone);
    // Tab leaves the grid instead of walking its 4096 cells; the arrows,
    // Page Up/Down, Home and End move in it.
    SData->setTabKeyNavigation(false);
    SData->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    SData->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    // As in a string grid, the first byte cell (not the fixed column) is
    // current; and there is always one, also after the model is reset, as a
    // screen reader asks the table for it.
    KeepCurrentCell();
    connect(SDataCells, &QAbstractItemModel::modelReset, this, &TForm1::KeepCurrentCell);
    SData->setFocus();

    Informace = new QLabel(client);
    Informace->setObjectName("Informace");
    QFont labelFont = Informace->font();
    labelFont.setPixelSize(kLabelFontPixels);
    Informace->setFont(labelFont);
    Informace->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    Informace->setGeometry(192, 472, 249, 20);
}

void TForm1::KeepCurrentCell() {
    if (!SData->currentIndex().isValid()) SData->setCurrentIndex(SDataCells->index(0, 1));
}

bool TForm1::event(QEvent* event) {
    const bool handled = QMainWindow::event(event);
    // The window system tells the frame only after the window is shown and
    // decorated, which it follows with a move or a resize.
    if (!frameFitted_ && (event->type() == QEvent::Show || event->type() == QEvent::Move ||
                          event->type() == QEvent::Resize)) {
        FitFrame();
    }
    return handled;
}

void TForm1::FitFrame() {
    if (windowHandle() == nullptr || !isVisible()) return;
    const QMargins frame = windowHandle()->frameMargins();
    if (frame.isNull()) return;  // not decorated (yet), or never (offscreen)
    frameFitted_ = true;
    resize(kWindowWidth - frame.left() - frame.right(), kWindowHeight - frame.top() - frame.bottom());
}
