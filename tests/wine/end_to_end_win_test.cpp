// The whole job on Windows, run by the Linux harness with COM1 mapped to the
// board simulator's pseudo-terminal: a real SDCC-made file loaded through
// Soubor > Otevřít and sent with Nástroje > Programuj, behind the real
// progress box. The harness checks what the simulator received.
#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>

#include "GridModel.h"
#include "Programator.h"
#include "fake_toolkit.h"
#include "memimage.h"

namespace {

// Scripted answers to the boxes and the dialog, but Qt's own progress box,
// as the program shows it.
class ScriptedWithRealProgress : public ScriptedToolkit {
public:
    void ShowProgress(QWidget* parent, std::size_t total, const QString& heading,
                      const ProgressSource& source) override {
        ++transfers;
        QtToolkit().ShowProgress(parent, total, heading, source);
    }
};

TEST(WindowsEndToEnd, LoadsAndProgramsTheSdccFile) {
    MemImage = ErasedImage();
    ScriptedWithRealProgress toolkit;
    TForm1 form(toolkit);
    form.show();
    toolkit.files = {QStringLiteral(KTQ_TEST_DATA_DIR "/sdcc_blink.hex")};
    form.Otev1->trigger();
    ASSERT_TRUE(toolkit.boxes.empty()) << toolkit.boxes[0].text.toStdString();
    EXPECT_EQ(form.SDataCells->Cell(1, 0), "02");

    toolkit.answers = {ModalResult::Yes, ModalResult::OK};
    form.Programuj1->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 2u);
    EXPECT_EQ(toolkit.boxes[1].text, "Programovani proběhlo v pořádku");
    EXPECT_EQ(toolkit.transfers, 1);
    EXPECT_TRUE(form.Informace->text().isEmpty());
}

}  // namespace
