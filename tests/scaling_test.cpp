// Nothing is clipped at the scale ctest runs this at (QT_SCALE_FACTOR 1, 1.5
// and 2, one process each): no label's or button's text is wider or taller
// than the widget, no widget reaches past its parent, and the grid shows its
// 17 columns whole, addresses and bytes included.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QHeaderView>
#include <QLabel>
#include <QLayout>
#include <QTableView>
#include <QTimer>

#include "ClassSetDialog.h"
#include "DiagnosisDialog.h"
#include "GridModel.h"
#include "Programator.h"

namespace {

// What in `window` is cut off, one line each.
QStringList Clipped(QWidget* window) {
    // As laid out for its texts now: a text just set is laid out only at the
    // next layout request, which a loaded machine may not have handled yet.
    if (window->layout() != nullptr) window->layout()->activate();
    QStringList found;
    for (QWidget* widget : window->findChildren<QWidget*>()) {
        if (!widget->isVisibleTo(window)) continue;
        const auto* label = qobject_cast<QLabel*>(widget);
        const auto* button = qobject_cast<QAbstractButton*>(widget);
        const QString text = label ? label->text() : button ? button->text() : QString();
        if (text.isEmpty()) continue;
        const QRect inside = widget->contentsRect();
        const QFontMetrics metrics = widget->fontMetrics();
        // A wrapped label may break its text; anything else must hold it on its lines.
        const QSize needed = label && label->wordWrap()
                                 ? metrics.boundingRect(QRect(0, 0, inside.width(), 100000), Qt::TextWordWrap, text).size()
                                 : button ? widget->sizeHint()
                                          : metrics.size(Qt::TextShowMnemonic, text);
        const QSize has = button ? widget->size() : inside.size();
        if (needed.width() > has.width() || needed.height() > has.height() ||
            !widget->parentWidget()->rect().contains(widget->geometry())) {
            found << QStringLiteral("%1 '%2': needs %3x%4, has %5x%6 at %7,%8")
                         .arg(widget->objectName(), text).arg(needed.width()).arg(needed.height())
                         .arg(has.width()).arg(has.height()).arg(widget->x()).arg(widget->y());
        }
    }
    return found;
}

class ScalingTest : public testing::Test {
protected:
    QtToolkit toolkit;
    TForm1 form{toolkit, [] { return std::vector<PortInfo>{}; }};
    void SetUp() override { form.show(); }
};

TEST_F(ScalingTest, MainWindowAndGridAreWhole) {
    form.SetStatus(QString::fromUtf8("Načteno znovu: sdcc_blink_at_0.hex"));  // the longest status
    EXPECT_EQ(Clipped(&form), QStringList());
    ASSERT_EQ(form.SDataCells->columnCount(), 17);
    ASSERT_EQ(form.SDataCells->rowCount(), 256);
    const QFontMetrics metrics = form.SData->fontMetrics();
    int width = 0;
    for (int column = 0; column < 17; ++column) {
        EXPECT_GE(form.SData->columnWidth(column), metrics.horizontalAdvance("3FF0") + 2) << column;
        width += form.SData->columnWidth(column);
    }
    EXPECT_GE(form.SData->rowHeight(0), metrics.height());
    EXPECT_GE(form.SData->viewport()->width(), width) << "a column is cut off";
}

TEST_F(ScalingTest, DialogsAndBoxesAreWhole) {
    ClassSetDialog classSet(&form, toolkit, [] { return std::vector<PortInfo>{}; }, form.ComHandle, "blink.hex");
    classSet.show();
    EXPECT_EQ(Clipped(&classSet), QStringList());
    DiagnosisDialog diagnosis(&form, "Programator KTQ-51 1.0.0");
    diagnosis.show();
    EXPECT_EQ(Clipped(&diagnosis), QStringList());
    QStringList inBoxes;
    QTimer::singleShot(50, [&] {
        QWidget* box = QApplication::activeModalWidget();
        if (box == nullptr) return;
        inBoxes << Clipped(box);
        box->close();
    });
    toolkit.MessageDlg(&form, "Opravdu chcete přeprogramovat KTQ - 51?", MsgKind::Warning, mbYes | mbNo);
    bool seen = false;
    QTimer::singleShot(50, [&] {
        seen = QApplication::activeModalWidget() != nullptr;
        if (seen) inBoxes << Clipped(QApplication::activeModalWidget());
    });
    toolkit.ShowProgress(&form, 16384, "Port: COM1", {[] { return std::size_t{8000}; }, [&] { return seen; }});
    EXPECT_TRUE(seen);
    EXPECT_EQ(inBoxes, QStringList());
}

}  // namespace
