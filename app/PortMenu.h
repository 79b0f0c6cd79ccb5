// The ports of the Nastavení menu: COM1..COM5 (port1..port5, captioned
// COM1..COM5), and below a separator an item for each other serial port the
// machine has. As the menu opens, the ports are read again: each COM item's
// tooltip says what is behind it, and the other ports get items of their
// own. The item of the port in use is greyed. A choice is reported; opening
// the port is the window's job.
#pragma once

#include <QList>
#include <QObject>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "port_connection.h"
#include "port_list.h"
#include "port_name.h"

class QAction;
class QMenu;

// What the menu learns of the machine's serial ports from: ListPorts, or a
// list that a test gives.
using PortLister = std::function<std::vector<PortInfo>()>;

class PortMenu : public QObject {
    Q_OBJECT
public:
    // A port chosen: a COM item's PortName::Com(n), or a listed port's
    // device with the port itself.
    using Choice = std::function<void(const PortName& port, const std::optional<PortInfo>& listed)>;

    // Fills `menu`; `inUse` is the port whose item is greyed, and must
    // outlive the menu.
    PortMenu(QMenu& menu, const PortConnection& inUse, PortLister lister, Choice chosen);

    QAction* ComItem(int number) const { return comItems_.at(static_cast<std::size_t>(number - 1)); }
    // The other ports' items, as the menu last showed them.
    const QList<QAction*>& OtherItems() const { return otherItems_; }
    // The greyed items of adapters without a port.
    const QList<QAction*>& AdaptersWithoutPort() const { return withoutPort_; }

    // Puts the items that Refresh adds above `below` (an item of the same
    // menu that stays last), not at the menu's end.
    void KeepAbove(QAction* below) { below_ = below; }

    // Greys the item of the port in use, and only that one.
    void MarkInUse();
    // Reads the ports again: the COM items' tooltips and the other ports'
    // items. The port in use keeps its item even when it is no longer found.
    void Refresh();

private:
    QMenu& menu_;
    const PortConnection& inUse_;
    PortLister lister_;
    Choice chosen_;
    std::array<QAction*, kMenuPorts> comItems_{};
    QAction* separator_ = nullptr;
    QAction* below_ = nullptr;  // what the added items stay above; none: the end
    // An item, or a separator where `text` is empty, added above below_.
    QAction* Add(const QString& text);
    QList<QAction*> otherItems_;
    QList<QAction*> withoutPort_;  // greyed: adapters without a port
    std::vector<PortInfo> otherPorts_;  // what otherItems_ stand for, in the same order
};
