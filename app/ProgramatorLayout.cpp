// The window's fixed layout, as the designer would keep it: its size, font
// and icon, the menu with its captions, names and shortcuts, the grid and the
// status label at their places; and the frame taken off the layout's size
// once the window system has drawn one.
#include <QAction>
#include <QFont>
#include <QHeaderView>
#include <QIcon>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QTableView>
#include <QWindow>
#include <algorithm>

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
    setWindowTitle(Q(text::kWindowTitle));
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
    MainMenu1->setAccessibleName(Q(text::kAxMainMenu));

    Soubor1 = MainMenu1->addMenu(Q(text::kMenuSoubor));
    Soubor1->setObjectName("Soubor1");
    Otev1 = AddCommand(Soubor1, "Otev1", Q(text::kMenuOtevrit), &TForm1::Otev1Click);
    Otev1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    // An ordinary item captioned with eight hyphens, not a separator; it has
    // no handler, so choosing it does nothing.
    N1 = AddCommand(Soubor1, "N1", Q(text::kMenuHyphens), nullptr);
    Konec1 = AddCommand(Soubor1, "Konec1", Q(text::kMenuKonec), &TForm1::Konec1Click);
    Konec1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_K));

    Nstroje1 = MainMenu1->addMenu(Q(text::kMenuNastroje));
    Nstroje1->setObjectName("Nstroje1");
    Programuj1 = AddCommand(Nstroje1, "Programuj1", Q(text::kMenuProgramuj), &TForm1::Programuj1Click);
    Programuj1->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_P));
    Nstroje1->addSeparator();
    Programujvechnydesky1 =
        AddCommand(Nstroje1, "Programujvechnydesky1", Q(text::kMenuProgramujVse), &TForm1::Programujvechnydesky1Click);
    Programujvechnydesky1->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));

    Nastaven1 = MainMenu1->addMenu(Q(text::kMenuNastaveni));
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

    Npovda1 = MainMenu1->addMenu(Q(text::kMenuNapoveda));
    Npovda1->setObjectName("Npovda1");
    Vytvoil1 = AddCommand(Npovda1, "Vytvoil1", Q(text::kMenuVytvoril), &TForm1::Vytvoil1Click);
    Diagnostika1 = AddCommand(Npovda1, "Diagnostika1", Q(text::kMenuDiagnostika), &TForm1::Diagnostika1Click);

    // An open menu is a window of its own: a screen reader names it by its
    // title, as the menu bar shows it.
    for (QMenu* menu : {Soubor1, Nstroje1, Nastaven1, Npovda1}) menu->setAccessibleName(menu->title());
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
    SData->setToolTip(Q(text::kGridHint));
    SData->setAccessibleName(Q(text::kGridHint));
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
