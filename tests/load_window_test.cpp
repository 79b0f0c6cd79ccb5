// Soubor > Otevřít in the real window, with real files and a scripted dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QFile>
#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QFileDialog>
#include <QTimer>
#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

#include "GridModel.h"
#include "Programator.h"
#include "Settings.h"
#include "fake_toolkit.h"
#include "grid_layout.h"
#include "memimage.h"
#include "system_texts.h"
#include "test_data.h"

namespace {

std::vector<unsigned char> Window(const QString& stem) {
    return ReadFileBytes((kData + "/" + stem + ".window.bin").toStdString());
}

class LoadTest : public testing::Test {
protected:
    void SetUp() override {
        MemImage = ErasedImage();
        ProgramSettings()->clear();  // no recent files, no last folder
    }
    void TearDown() override { MemImage = ErasedImage(); }

    // Chooses `file` in the next open dialog and runs Otevřít from the menu.
    void Open(TForm1& form, const std::optional<QString>& file) {
        toolkit.files.push_back(file);
        form.Otev1->trigger();
    }

    void ExpectGridShowsImage(const TForm1& form) {
        for (int row = 0; row < kGridRows; ++row) {
            for (int column = 1; column < kGridColumns; ++column) {
                const Cell value = MemImage[GridCellAddress(column, row)];
                ASSERT_EQ(form.SDataCells->Cell(column, row), QString::asprintf("%02X", value))
                    << column << "," << row;
            }
        }
    }

    ScriptedToolkit toolkit;
};

TEST_F(LoadTest, RealCompilerFileShowsExactlyItsBytes) {
    TForm1 form(toolkit);
    Open(form, kData + "/sdcc_blink.hex");
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_EQ(toolkit.lastDialog.filter, "Intelhex (*.hex)");
    EXPECT_EQ(toolkit.lastDialog.defaultSuffix, "hex");
    const std::vector<unsigned char> expected = Window("sdcc_blink");
    ASSERT_EQ(expected.size(), kWindowCells);
    for (std::size_t i = 0; i < kWindowCells; ++i) ASSERT_EQ(MemImage[kWindowBase + i], expected[i]) << i;
    ExpectGridShowsImage(form);
    EXPECT_EQ(form.SDataCells->Cell(1, 0), "02");  // the LJMP at the reset vector
    EXPECT_EQ(form.SDataCells->Cell(0, 0), "3000");
    // The next dialog starts in the folder of that file.
    EXPECT_TRUE(toolkit.lastDialog.directory.isEmpty());
    Open(form, std::nullopt);
    EXPECT_EQ(QDir(toolkit.lastDialog.directory), QDir(kData));
}

// The recent files and the last folder are kept for the next run; a recent
// file that is gone is dropped with a message.
TEST_F(LoadTest, RecentFilesAreKeptForTheNextRun) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("blink.hex"));
    ASSERT_TRUE(QFile::copy(kData + "/sdcc_blink.hex", copy));
    for (const QString& file : {kData + "/objcopy.hex", copy, kData + "/objcopy.hex"}) {
        TForm1 run(toolkit);  // a run of its own each
        Open(run, file);
    }
    TForm1 form(toolkit);
    ASSERT_EQ(form.RecentFiles.size(), 2);
    EXPECT_EQ(form.RecentFiles[0]->text() + form.RecentFiles[1]->text(), "&1 objcopy.hex&2 blink.hex");
    EXPECT_EQ(form.RecentFiles[1]->toolTip(), QDir::toNativeSeparators(dir.path()));
    Open(form, std::nullopt);
    EXPECT_EQ(QDir(toolkit.lastDialog.directory), QDir(kData));
    form.RecentFiles[1]->trigger();
    EXPECT_EQ(form.SDataCells->Cell(1, 0), "02");  // sdcc_blink's LJMP
    ASSERT_TRUE(QFile::remove(copy));
    form.RecentFiles[0]->trigger();
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_TRUE(toolkit.boxes[0].text.contains("už neexistuje")) << toolkit.boxes[0].text.toStdString();
    EXPECT_EQ(form.RecentFiles.size(), 1);
}

// A file dropped on the window loads exactly as Otevřít would load it.
TEST_F(LoadTest, DroppedFileLoadsAsOtevritWould) {
    TForm1 form(toolkit);
    auto drop = [&](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &enter);
        EXPECT_TRUE(enter.isAccepted());
        QDropEvent dropped(QPointF(100, 100), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(&form, &dropped);
    };
    Open(form, kData + "/srec_full.hex");
    const ImageCells opened = MemImage;
    Open(form, std::nullopt);
    drop({QUrl::fromLocalFile(kData + "/srec_full.hex")});
    EXPECT_TRUE(toolkit.boxes.empty());
    EXPECT_TRUE(MemImage == opened);
    ExpectGridShowsImage(form);

    // A damaged file: the same message as Otevřít gives, nothing changes.
    toolkit.answers = {ModalResult::Yes};
    drop({QUrl::fromLocalFile(kData + "/bad/letter_g.hex")});
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, "Neplatný znak „G“ v záznamu na řádku 5\nSoubor je poškozen");
    EXPECT_TRUE(MemImage == opened);
    ExpectGridShowsImage(form);

    // Two files, or no local file: refused with a warning, nothing changes.
    for (const QList<QUrl>& refused :
         {QList<QUrl>{QUrl::fromLocalFile(kData + "/objcopy.hex"), QUrl::fromLocalFile(kData + "/srec_obs16.hex")},
          QList<QUrl>{QUrl(QStringLiteral("https://example.org/blink.hex"))}}) {
        toolkit.boxes.clear();
        drop(refused);
        ASSERT_EQ(toolkit.boxes.size(), 1u);
        EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Warning);
        EXPECT_TRUE(toolkit.boxes[0].text.contains("jeden soubor")) << toolkit.boxes[0].text.toStdString();
        EXPECT_TRUE(MemImage == opened);
    }
}

TEST_F(LoadTest, CancelledDialogErasesImageAndGrid) {
    TForm1 form(toolkit);
    Open(form, kData + "/srec_full.hex");
    ASSERT_NE(form.SDataCells->Cell(1, 0), "FF");
    Open(form, std::nullopt);
    EXPECT_TRUE(MemImage == ErasedImage());
    ExpectGridShowsImage(form);
    EXPECT_EQ(form.SDataCells->Cell(16, 255), "FF");
    EXPECT_TRUE(toolkit.boxes.empty());
}

TEST_F(LoadTest, DamagedFileLeavesGridAndImageAsTheyWere) {
    TForm1 form(toolkit);
    Open(form, kData + "/srec_full.hex");
    const ImageCells loaded = MemImage;
    toolkit.answers.push_back(ModalResult::Yes);

    Open(form, kData + "/bad/checksum_middle.hex");
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, "Neplatný součet načítaných dat\nSoubor je poškozen");
    EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Warning);
    EXPECT_EQ(toolkit.boxes[0].buttons, mbYes);
    EXPECT_TRUE(MemImage == loaded);
    ExpectGridShowsImage(form);
}

TEST_F(LoadTest, EveryDamagedFileIsRefusedWithALineAndChangesNothing) {
    TForm1 form(toolkit);
    Open(form, kData + "/objcopy.hex");
    const ImageCells loaded = MemImage;
    for (const char* bad : {"letter_g.hex", "truncated_last.hex", "odd_length.hex", "garbage_line.hex",
                            "spill_over_3fff.hex", "type04_to_10000.hex", "type06.hex", "two_on_a_line.hex"}) {
        toolkit.boxes.clear();
        Open(form, kData + "/bad/" + bad);
        ASSERT_EQ(toolkit.boxes.size(), 1u) << bad;
        EXPECT_TRUE(toolkit.boxes[0].text.endsWith("\nSoubor je poškozen")) << bad;
        EXPECT_TRUE(toolkit.boxes[0].text.contains("řádku")) << bad;
        EXPECT_EQ(toolkit.boxes[0].kind, MsgKind::Warning) << bad;
        EXPECT_TRUE(MemImage == loaded) << bad;
        ExpectGridShowsImage(form);
    }
}

TEST_F(LoadTest, MissingFileNamesTheFileAndTheReason) {
    TForm1 form(toolkit);
    Open(form, kData + "/srec_obs16.hex");
    const ImageCells loaded = MemImage;
    Open(form, kData + "/does-not-exist.hex");
    ASSERT_EQ(toolkit.boxes.size(), 1u);
    EXPECT_EQ(toolkit.boxes[0].text, "Soubor " + QDir::toNativeSeparators(kData + "/does-not-exist.hex") +
                                         " nelze otevřít:\n" + QString::fromStdString(NoSuchFileText()));
    EXPECT_TRUE(MemImage == loaded);
    ExpectGridShowsImage(form);
}

// Qt's own open dialog, driven by the test: it starts in the folder given,
// with the filter, and a typed name gets the default suffix.
TEST(QtOpenDialog, StartsInTheFolderGivenAndTypedNameGetsTheHexSuffix) {
    QtToolkit toolkit;
    QString filter, folder;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        filter = dialog->selectedNameFilter();
        folder = dialog->directory().absolutePath();
        dialog->selectFile("sdcc_blink");
        static_cast<QDialog*>(dialog)->accept();
    });
    const std::optional<QString> file = toolkit.ExecuteOpenDialog(
        nullptr, {QStringLiteral("Intelhex (*.hex)"), QStringLiteral("hex"), QDir(kData).canonicalPath()});
    EXPECT_EQ(filter, "Intelhex (*.hex)");
    EXPECT_EQ(QDir(folder), QDir(kData)) << folder.toStdString();
    ASSERT_TRUE(file.has_value());
    EXPECT_EQ(QFileInfo(*file).canonicalFilePath(), QFileInfo(kData + "/sdcc_blink.hex").canonicalFilePath())
        << file->toStdString();
}

}  // namespace
