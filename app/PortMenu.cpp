#include "PortMenu.h"

#include <QAction>
#include <QMenu>

#include "QtText.h"
#include "adapter_rules.h"
#include "messages.h"

PortMenu::PortMenu(QMenu& menu, const PortConnection& inUse, PortLister lister, Choice chosen)
    : QObject(&menu), menu_(menu), inUse_(inUse), lister_(std::move(lister)), chosen_(std::move(chosen)) {
    for (int n = 1; n <= kMenuPorts; ++n) {
        const PortName port = PortName::Com(n);
        QAction* item = menu_.addAction(Q(port.Name()));
        item->setObjectName(QStringLiteral("port%1").arg(n));
        connect(item, &QAction::triggered, this, [this, port] { chosen_(port, std::nullopt); });
        comItems_[static_cast<std::size_t>(n - 1)] = item;
    }
    // Each item names the device it stands for, read as the menu opens.
    menu_.setToolTipsVisible(true);
    MarkInUse();
}

QAction* PortMenu::Add(const QString& text) {
    auto* item = new QAction(text, &menu_);
    item->setSeparator(text.isEmpty());
    menu_.insertAction(below_, item);
    return item;
}

void PortMenu::MarkInUse() {
    const std::optional<PortInfo>& listed = inUse_.ChosenBy();
    for (int n = 1; n <= kMenuPorts; ++n) ComItem(n)->setEnabled(listed || inUse_.Port().Number() != n);
    for (qsizetype i = 0; i < otherItems_.size(); ++i) {
        otherItems_[i]->setEnabled(!listed || !SameDevice(otherPorts_[static_cast<std::size_t>(i)].device, listed->device));
    }
}

void PortMenu::Refresh() {
    const std::vector<PortInfo> listed = lister_();
    const std::array<ComPort, kMenuPorts> com = ComPorts(listed);
    for (const ComPort& slot : com) {
        ComItem(slot.port.Number())->setToolTip(Q(ComItemTooltip(slot.device, slot.listed, slot.exists)));
    }
    std::vector<PortInfo> ports;
    for (const PortInfo* port : PortsBesideCom(listed, com)) ports.push_back(*port);
    // The port in use stays in the menu, even when it is no longer found.
    if (const std::optional<PortInfo>& inUse = inUse_.ChosenBy(); inUse && FindPort(listed, inUse->device) == nullptr) {
        ports.push_back(*inUse);
    }

    for (QAction* item : otherItems_ + withoutPort_) delete item;
    otherItems_.clear();
    withoutPort_.clear();
    otherPorts_.clear();
    delete separator_;
    separator_ = nullptr;
    for (const PortInfo& port : ports) {
        if (separator_ == nullptr) separator_ = Add(QString());
        QAction* item = Add(Q(PortLabel(port)));
        item->setToolTip(Q(port.stableName.empty() ? SystemPath(port.device) : port.stableName));
        connect(item, &QAction::triggered, this,
                [this, port] { chosen_(PortName::Device(port.device), std::optional<PortInfo>(port)); });
        otherItems_.append(item);
        otherPorts_.push_back(port);
    }
    // Adapters without a port: greyed, with why as their tooltip.
    for (const PortInfo& adapter : listed) {
        if (adapter.HasPort()) continue;
        if (separator_ == nullptr) separator_ = Add(QString());
        const AdapterDiagnosis diagnosis = DiagnoseAdapter(adapter);
        QAction* item = Add(Q(AdapterName(adapter) + ": " + diagnosis.reason));
        item->setToolTip(Q(diagnosis.fix));
        item->setEnabled(false);
        withoutPort_.append(item);
    }
    MarkInUse();
}
