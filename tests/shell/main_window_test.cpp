#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QWheelEvent>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <array>
#include <filesystem>
#include <fstream>
#include <memory>
#include <new>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "common/installation.h"
#include "shell/MyImgBtn.h"
#include "shell/Unit1.h"
#include "shell/chart_view.h"
#include "shell/skin_frame.h"
#include "ui_Unit1.h"

namespace tarvolen {
namespace {

namespace fs = std::filesystem;

// Answers the window's dialogs as a test tells it, and records what the window showed.
struct Answers {
  std::optional<QString> open_name;
  std::optional<QString> save_name;
  QString open_folder;
  QStringList open_filters;
  QStringList save_filters;
  std::vector<std::pair<QString, QString>> errors;  // caption, text
  std::vector<QUrl> opened;
  bool out_of_memory = false;  // the next dialog fails as an allocation would
};

class FakeDialogs : public TDialogs {
 public:
  explicit FakeDialogs(Answers& answers) : answers_(answers) {}
  std::optional<QString> OpenFileName(QWidget*, const QString& folder, const QString& filter,
                                      const QString&) override {
    if (std::exchange(answers_.out_of_memory, false)) throw std::bad_alloc();
    answers_.open_folder = folder;
    answers_.open_filters = NameFilters(filter);
    return answers_.open_name;
  }
  std::optional<QString> SaveFileName(QWidget*, const QString& filter, const QString&) override {
    answers_.save_filters = NameFilters(filter);
    return answers_.save_name;
  }
  void ShowError(QWidget*, const QString& caption, const QString& text) override {
    answers_.errors.emplace_back(caption, text);
  }
  void OpenUrl(const QUrl& url) override { answers_.opened.push_back(url); }

 private:
  Answers& answers_;
};

class MainWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = fs::temp_directory_path() /
              ("tarvolen-window-" + std::to_string(QCoreApplication::applicationPid()) + "-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(folder_);
    form_ = std::make_unique<TForm1>(std::make_unique<FakeDialogs>(answers_));
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  }
  void TearDown() override {
    form_.reset();
    fs::remove_all(folder_);
  }

  const Ui::TForm1& ui() const { return form_->Form(); }
  QString Write(const std::string& name, const std::string& bytes) {
    const fs::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return QString::fromStdString(path.string());
  }
  static std::string Read(const QString& path) {
    std::ifstream in(path.toStdString(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  QString Memo() const { return ui().Memo1->toPlainText(); }
  QString Cell(int col, int row) const {
    return QString::fromStdString(form_->Grid().Cell(col, row));
  }
  void Load(const std::string& bytes) {
    answers_.open_name = Write("data.txt", bytes);
    Press(ui().SpeedButton3);
  }
  // Clicks a button and waits until the command it started has shown its outcome.
  void Press(QAbstractButton* button) {
    QTest::mouseClick(button, Qt::LeftButton);
    form_->WaitUntilIdle();
  }
  std::size_t ListedSeries() const { return form_->Chart().SeriesList().size(); }

  // Types `text` into the grid cell of data row `row` (1..), column `col` (1 X, 2 Y).
  void Type(int col, int row, const QString& text) {
    QTableView& view = *ui().StringGrid1;
    const QModelIndex index = view.model()->index(row - 1, col - 1);
    view.setCurrentIndex(index);
    view.setFocus();
    QTest::keyClicks(&view, text.left(1));  // any key starts the in-place editor
    QLineEdit* editor = nullptr;  // the open one: closed editors linger until deleted later
    for (QLineEdit* candidate : view.viewport()->findChildren<QLineEdit*>()) {
      if (candidate->isVisible()) editor = candidate;
    }
    ASSERT_NE(editor, nullptr);
    QTest::keyClicks(editor, text.mid(1));
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();  // Return commits through a queued call
  }

  fs::path folder_;
  Answers answers_;
  std::unique_ptr<TForm1> form_;
};

TEST_F(MainWindowTest, OpensFixedSizeBorderlessWithTheGridHeaders) {
  EXPECT_EQ(form_->size(), QSize(796, 613));
  EXPECT_TRUE(form_->windowFlags() & Qt::FramelessWindowHint);
  EXPECT_EQ(form_->pos(), QPoint(229, 102));
  EXPECT_EQ(form_->windowTitle(), "Tarvolen " + QLatin1String(ProgramVersion()));
  EXPECT_EQ(Cell(1, 0), "X");
  EXPECT_EQ(Cell(2, 0), "Y");
  EXPECT_EQ(ui().StringGrid1->model()->rowCount(), 20);
  EXPECT_EQ(ui().ImgBtnMin->pos(), QPoint(796 - 100, 1));
  EXPECT_EQ(ui().ImgBtnClose->pos(), QPoint(796 - 48, 1));
  form_->resize(900, 700);  // every size change is refused
  EXPECT_EQ(form_->size(), QSize(796, 613));
}

TEST_F(MainWindowTest, EveryToolButtonNamesItsOwnCommand) {
  EXPECT_EQ(ui().SpeedButton3->toolTip(), "Load Data");
  EXPECT_EQ(ui().SpeedButton4->toolTip(), "Save Result");
  EXPECT_EQ(ui().SpeedButton5->toolTip(), "Save Figure");
  EXPECT_EQ(ui().SpeedButton6->toolTip(), "Manual");
  EXPECT_EQ(ui().SpeedButton7->toolTip(), "HomePage");
  EXPECT_EQ(ui().SpeedButton3->text(), "Load Data");
  EXPECT_EQ(ui().SpeedButton7->text(), "Home");
  QStringList file_items;
  for (QAction* action : form_->FileMenu().actions()) {
    file_items << (action->isSeparator() ? "-" : action->text());
  }
  EXPECT_EQ(file_items, (QStringList{"Load Data", "Save Result", "Save Figure", "-", "Exit"}));
  QStringList help_items;
  for (QAction* action : form_->HelpMenu().actions()) {
    help_items << (action->isSeparator() ? "-" : action->text());
  }
  EXPECT_EQ(help_items, (QStringList{"Manual", "-", "HomePage"}));
}

TEST_F(MainWindowTest, TheEmptyGridAtStartSaysWhatAFitNeeds) {
  Press(ui().SpeedButton1);
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].first, TForm1::ApplicationTitle());
  EXPECT_EQ(answers_.errors[0].second,
            "No data points to fit. The Linear model needs at least 3 points, each a row with an "
            "X and a Y; rows whose X and Y are both empty are left out.");
  EXPECT_EQ(Memo(), "");
  EXPECT_EQ(ListedSeries(), 0u);
}

TEST_F(MainWindowTest, TypedPairsFitWhenAModelButtonIsPressed) {
  // Five of the twenty rows get values, with an empty row and a blank one between them: the rows
  // without data are left out, and the curve runs from the first point's X to the last one's.
  const std::pair<int, std::array<const char*, 2>> rows[] = {
      {2, {"1", "2"}}, {3, {"2", "4"}}, {5, {"3", "5"}}, {6, {"4", "4"}}, {9, {"5.0", "5"}}};
  for (const auto& [row, texts] : rows) {
    Type(1, row, texts[0]);
    Type(2, row, texts[1]);
  }
  Type(1, 7, " ");
  Press(ui().SpeedButton1);
  EXPECT_TRUE(answers_.errors.empty());
  EXPECT_EQ(Memo(),
            "a= 2.2\nb= 0.6\nStandard Error= 0.894427190999916\n"
            "correlation coefficient= 0.774596669241483\n");
  ASSERT_NE(form_->CurveSeries(), nullptr);
  EXPECT_EQ(form_->CurveSeries()->Count(), 101u);
  EXPECT_EQ(form_->CurveSeries()->XValues().First(), 1);
  EXPECT_EQ(form_->CurveSeries()->XValues().Last(), 5);

  // A row with only one of its cells still ends the fit, and the message says where.
  Type(2, 4, "7");
  Press(ui().SpeedButton1);
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second, "'' is not a valid floating point value. Row 4, column X.");
  EXPECT_EQ(Memo(), "");
}

TEST_F(MainWindowTest, TextStillInTheEditorCountsAndTheCurrentCellStays) {
  Load("1 2\n2 4\n3 5\n4 4\n5 x\n");
  answers_.errors.clear();
  QTableView& view = *ui().StringGrid1;
  view.setCurrentIndex(view.model()->index(4, 1));
  view.setFocus();
  QTest::keyClicks(&view, "5");  // the editor stays open: no Return
  Press(ui().SpeedButton1);
  EXPECT_TRUE(answers_.errors.empty());
  EXPECT_EQ(Memo().left(6), "a= 2.2");
  EXPECT_EQ(view.currentIndex(), view.model()->index(4, 1));
}

TEST_F(MainWindowTest, MessagesNameTheCellAsTheGridShowsIt) {
  Load("1 2\n2 3\xc3\xa9\n");  // "3é" in UTF-8
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second,
            QString::fromUtf8("'3\xc3\xa9' is not a valid floating point value. Row 2, column Y."));
  Load("1 2\n2 3\xe9\n");  // "3é" in Latin-1: not UTF-8, shown byte for byte
  ASSERT_EQ(answers_.errors.size(), 2u);
  EXPECT_EQ(answers_.errors[1].second,
            QString::fromUtf8("'3\xc3\xa9' is not a valid floating point value. Row 2, column Y."));
  EXPECT_EQ(ui().StringGrid1->model()->data(ui().StringGrid1->model()->index(1, 1)).toString(),
            QString::fromUtf8("3\xc3\xa9"));
  Load("1 2\n2 \"\x1b]0;owned\x07\"\n");  // terminal codes are shown, not passed on
  ASSERT_EQ(answers_.errors.size(), 3u);
  EXPECT_EQ(answers_.errors[2].second,
            "'\\x1b]0;owned\\x07' is not a valid floating point value. Row 2, column Y.");
}

TEST_F(MainWindowTest, RunningOutOfMemoryShowsAnErrorAndTheWindowCarriesOn) {
  answers_.out_of_memory = true;
  Press(ui().SpeedButton3);
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second, "Out of memory.");
  Load("1 2\n2 4\n3 5\n");
  Press(ui().SpeedButton1);
  EXPECT_EQ(answers_.errors.size(), 1u);
  EXPECT_TRUE(Memo().startsWith("a= "));
}

TEST_F(MainWindowTest, AHugeCellIsShownShortened) {
  Load("1 2\n2 " + std::string(5000000, '7') + "x\n");
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_LT(answers_.errors[0].second.size(), 2100);
  EXPECT_TRUE(answers_.errors[0].second.startsWith("'2777") ||
              answers_.errors[0].second.startsWith("'777"));
  const QString shown =
      ui().StringGrid1->model()->data(ui().StringGrid1->model()->index(1, 1)).toString();
  EXPECT_LT(shown.size(), 1100);
  EXPECT_EQ(form_->Grid().Cell(2, 2).size(), 5000001u);  // the table keeps it whole
}

TEST_F(MainWindowTest, LoadDataFillsTheGridAndPlotsThePoints) {
  Load("1 2\n2 4\n3 5\n");
  EXPECT_EQ(answers_.open_filters,
            (QStringList{"All Files(*.*) (*)", "TXT file(*.txt) (*.txt)",
                         "Data file(*.dat) (*.dat)"}));
  EXPECT_EQ(answers_.open_folder, QCoreApplication::applicationDirPath() + "/");
  EXPECT_EQ(ui().StringGrid1->model()->rowCount(), 3);
  EXPECT_EQ(ui().StringGrid1->model()->headerData(2, Qt::Vertical).toString(), "3");
  ASSERT_EQ(ListedSeries(), 1u);
  EXPECT_EQ(form_->Chart().SeriesList()[0]->Count(), 3u);
  EXPECT_EQ(form_->Chart().SeriesList()[0]->SeriesColor(), clRed);
  EXPECT_TRUE(answers_.errors.empty());
}

TEST_F(MainWindowTest, EveryPlaceReachesLoadData) {
  answers_.open_name = Write("data.txt", "1 2\n2 3\n");
  form_->FileMenu().actions()[0]->trigger();
  form_->WaitUntilIdle();
  EXPECT_EQ(form_->Grid().RowCount(), 3);
  answers_.open_name = Write("more.txt", "1 2\n2 3\n3 4\n");
  form_->GridPopupMenu().actions()[0]->trigger();
  form_->WaitUntilIdle();
  EXPECT_EQ(form_->Grid().RowCount(), 4);
}

TEST_F(MainWindowTest, ACancelledLoadRewritesTheHeadersAndReplotsTheGrid) {
  Load("1 2\n2 4\n3 5\n");
  Press(ui().SpeedButton1);
  ASSERT_EQ(ListedSeries(), 2u);
  form_->Grid().SetCell(1, 0, "changed");
  answers_.open_name.reset();
  Press(ui().SpeedButton3);
  EXPECT_EQ(Cell(1, 0), "X");
  ASSERT_EQ(ListedSeries(), 1u);  // the curve is gone, the points are back
  EXPECT_EQ(form_->Chart().SeriesList()[0]->SeriesColor(), clYellow);
}

// A file named on the command line ends as the same file chosen in Load Data's dialog.
TEST_F(MainWindowTest, OpeningANamedFileLeavesTheWindowAsLoadDataDoes) {
  const std::string kFiles[] = {"1 2\n2 4\n3 5\n", "1 2\n2 oops\n", ""};
  for (const std::string& bytes : kFiles) {
    SCOPED_TRACE(bytes);
    const QString name = bytes.empty() ? QString::fromStdString((folder_ / "none.txt").string())
                                       : Write("data.txt", bytes);
    Answers chosen_answers;
    chosen_answers.open_name = name;
    TForm1 chosen(std::make_unique<FakeDialogs>(chosen_answers));
    chosen.Open1Click();
    chosen.WaitUntilIdle();
    Answers named_answers;
    TForm1 named(std::make_unique<FakeDialogs>(named_answers));
    named.OpenFile(name);
    named.WaitUntilIdle();
    EXPECT_TRUE(named_answers.open_folder.isNull());  // no dialog
    EXPECT_EQ(named_answers.errors, chosen_answers.errors);
    ASSERT_EQ(named.Grid().RowCount(), chosen.Grid().RowCount());
    for (int row = 0; row < named.Grid().RowCount(); ++row) {
      EXPECT_EQ(named.Grid().Cell(1, row), chosen.Grid().Cell(1, row));
      EXPECT_EQ(named.Grid().Cell(2, row), chosen.Grid().Cell(2, row));
    }
    const auto& series = chosen.Chart().SeriesList();
    ASSERT_EQ(named.Chart().SeriesList().size(), series.size());
    if (!series.empty()) {
      EXPECT_EQ(named.Chart().SeriesList()[0]->Count(), series[0]->Count());
    }
  }
}

TEST_F(MainWindowTest, AFileThatCannotBeOpenedShowsItsError) {
  answers_.open_name = QString::fromStdString((folder_ / "missing.txt").string());
  Press(ui().SpeedButton3);
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second,
            "Cannot open file \"" + *answers_.open_name + "\". No such file or directory.");
  EXPECT_EQ(form_->Grid().RowCount(), 21);
}

TEST_F(MainWindowTest, ABadCellShowsItsMessageAndEmptiesTheChart) {
  Load("1 2\n2 oops\n3 5\n");
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second,
            "'oops' is not a valid floating point value. Row 2, column Y.");
  EXPECT_EQ(ListedSeries(), 0u);
  EXPECT_EQ(Cell(2, 2), "oops");
}

TEST_F(MainWindowTest, ExchangeSwapsTheColumns) {
  Load("1 2\n3 4\n");
  QTest::mouseClick(ui().Button1, Qt::LeftButton);
  EXPECT_EQ(Cell(1, 1), "2");
  EXPECT_EQ(Cell(2, 1), "1");
  EXPECT_EQ(Cell(1, 2), "4");
  EXPECT_EQ(Cell(1, 0), "X");
  EXPECT_EQ(ui().StringGrid1->model()->data(ui().StringGrid1->model()->index(1, 0)).toString(),
            "4");
}

TEST_F(MainWindowTest, SaveResultWritesTheBoxWithCrLfLineEnds) {
  Load("1 2\n2 4\n3 5\n4 4\n5 5\n");
  Press(ui().SpeedButton1);
  answers_.save_name = QString::fromStdString((folder_ / "result.txt").string());
  QTest::mouseClick(ui().SpeedButton4, Qt::LeftButton);
  EXPECT_EQ(answers_.save_filters, QStringList{"TXT file(*.txt) (*.txt)"});
  EXPECT_EQ(Read(*answers_.save_name),
            "a= 2.2\r\nb= 0.6\r\nStandard Error= 0.894427190999916\r\n"
            "correlation coefficient= 0.774596669241483\r\n");
  // The box is editable; an empty box gives an empty file, and saving replaces the old one.
  ui().Memo1->clear();
  form_->FileMenu().actions()[1]->trigger();
  EXPECT_EQ(Read(*answers_.save_name), "");
  EXPECT_TRUE(answers_.errors.empty());
  // A cancelled dialog writes nothing.
  answers_.save_name.reset();
  QTest::mouseClick(ui().SpeedButton4, Qt::LeftButton);
  EXPECT_TRUE(answers_.errors.empty());
}

TEST_F(MainWindowTest, SavingToADeviceWritesIntoIt) {
  const std::string device = (folder_ / "discard.bmp").string();
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "no mknod";
  answers_.save_name = QString::fromStdString(device);
  QTest::mouseClick(ui().SpeedButton4, Qt::LeftButton);
  QTest::mouseClick(ui().SpeedButton5, Qt::LeftButton);
  EXPECT_TRUE(answers_.errors.empty());
  struct stat info {};
  ASSERT_EQ(::lstat(device.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(MainWindowTest, SaveResultIntoAMissingFolderSaysSo) {
  answers_.save_name = QString::fromStdString((folder_ / "no" / "r.txt").string());
  QTest::mouseClick(ui().SpeedButton4, Qt::LeftButton);
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second,
            "Cannot create file \"" + *answers_.save_name + "\". No such file or directory.");
}

TEST_F(MainWindowTest, SaveFigureWritesABitmapAddingTheExtensionOnce) {
  Load("1 2\n2 4\n3 5\n");
  const std::pair<std::string, std::string> names[] = {
      {"figure", "figure.bmp"}, {"picture.bmp", "picture.bmp"}, {"CAPS.BMP", "CAPS.BMP"}};
  for (const auto& [chosen, written] : names) {
    answers_.save_name = QString::fromStdString((folder_ / chosen).string());
    QTest::mouseClick(ui().SpeedButton5, Qt::LeftButton);
    const std::string bytes = Read(QString::fromStdString((folder_ / written).string()));
    ASSERT_GE(bytes.size(), 54u) << written;
    EXPECT_EQ(bytes.substr(0, 2), "BM");
    EXPECT_FALSE(fs::exists(folder_ / (written + ".bmp")));
  }
  EXPECT_EQ(answers_.save_filters, QStringList{"bmp(*.bmp) (*.bmp)"});
  EXPECT_TRUE(answers_.errors.empty());
  // The chart's pop-up menu and the File menu reach the same command.
  answers_.save_name = QString::fromStdString((folder_ / "popup").string());
  form_->ChartPopupMenu().actions()[0]->trigger();
  EXPECT_TRUE(fs::exists(folder_ / "popup.bmp"));
  answers_.save_name = QString::fromStdString((folder_ / "menu").string());
  form_->FileMenu().actions()[2]->trigger();
  EXPECT_TRUE(fs::exists(folder_ / "menu.bmp"));
}

TEST_F(MainWindowTest, CopyFigurePutsTheChartOnTheClipboard) {
  Load("1 2\n2 4\n3 5\n");
  form_->ChartPopupMenu().actions()[1]->trigger();
  const QImage copied = QGuiApplication::clipboard()->image();
  EXPECT_EQ(copied.size(), QSize(303, 245));
}

TEST_F(MainWindowTest, ManualAndHomePageGoToTheSystem) {
  QTest::mouseClick(ui().SpeedButton6, Qt::LeftButton);
  QTest::mouseClick(ui().SpeedButton7, Qt::LeftButton);
  form_->HelpMenu().actions()[0]->trigger();
  form_->HelpMenu().actions()[2]->trigger();
  ASSERT_EQ(answers_.opened.size(), 4u);
  // The compiled manual where the build puts it, as an installation does.
  const QUrl manual = answers_.opened[0];
  EXPECT_TRUE(manual.toLocalFile().endsWith("/share/doc/tarvolen/Tarvolen.chm"));
  EXPECT_TRUE(QFileInfo(manual.toLocalFile()).isFile());
  EXPECT_EQ(answers_.opened[1], QUrl(kHomePage));
  EXPECT_EQ(answers_.opened[2], manual);
  EXPECT_EQ(answers_.opened[3], QUrl(kHomePage));
}

TEST_F(MainWindowTest, ExitAndTheCloseButtonCloseTheWindow) {
  form_->FileMenu().actions()[4]->trigger();
  EXPECT_FALSE(form_->isVisible());
  form_->show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  QTest::mouseClick(ui().ImgBtnClose, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_FALSE(form_->isVisible());
}

TEST_F(MainWindowTest, TheChartRedrawsOnlyWhenItChanged) {
  TChartView& chart = *ui().Chart1;
  chart.repaint();
  const int frames = chart.FramesDrawn();
  chart.repaint();
  EXPECT_EQ(chart.FramesDrawn(), frames);  // nothing changed: the stored picture is copied
  Load("1 2\n2 4\n");
  chart.repaint();
  EXPECT_EQ(chart.FramesDrawn(), frames + 1);
  EXPECT_EQ(chart.cursor().shape(), Qt::CrossCursor);
}

TEST_F(MainWindowTest, DraggingInTheChartZoomsAndUndoes) {
  Load("0 0\n10 10\n");
  TChartView& chart = *ui().Chart1;
  QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(60, 40));
  QTest::mouseMove(&chart, QPoint(160, 140));
  QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(160, 140));
  EXPECT_TRUE(form_->Chart().HasSavedScales());
  EXPECT_FALSE(form_->Chart().BottomAxis().Automatic);
  QTest::mousePress(&chart, Qt::LeftButton, {}, QPoint(160, 140));
  QTest::mouseMove(&chart, QPoint(60, 40));
  QTest::mouseRelease(&chart, Qt::LeftButton, {}, QPoint(60, 40));
  EXPECT_FALSE(form_->Chart().HasSavedScales());
  EXPECT_TRUE(form_->Chart().BottomAxis().Automatic);
}

TEST_F(MainWindowTest, SmallWheelStepsAddUpToWholeSteps) {
  Load("0 0\n10 10\n");
  TChartView& chart = *ui().Chart1;
  const auto wheel = [&](int delta) {
    QWheelEvent event(QPointF(100, 100), chart.mapToGlobal(QPointF(100, 100)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&chart, &event);
  };
  wheel(40);
  wheel(40);
  EXPECT_TRUE(form_->Chart().LeftAxis().Automatic);  // two thirds of a step: nothing yet
  wheel(40);
  EXPECT_FALSE(form_->Chart().LeftAxis().Automatic);
}

TEST_F(MainWindowTest, ApplicationTitleIsTheExecutableNameInLowerCaseAfterItsFirstLetter) {
  const QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  EXPECT_EQ(TForm1::ApplicationTitle(), name.left(1) + name.mid(1).section('.', 0, 0).toLower());
}

}  // namespace
}  // namespace tarvolen

namespace tarvolen {
namespace {

TEST_F(MainWindowTest, TheFrameIsRoundedAndItsButtonsBehave) {
  EXPECT_EQ(form_->mask(), WindowShapeRegion(QSize(796, 613)));
  EXPECT_FALSE(form_->mask().contains(QPoint(0, 0)));
  EXPECT_TRUE(form_->mask().contains(QPoint(3, 3)));
  // The maximise area and a double click on the title change nothing.
  QTest::mouseClick(ui().ImgBtnMax, Qt::LeftButton, {}, QPoint(5, 5));
  QTest::mouseDClick(ui().Image1, Qt::LeftButton, {}, QPoint(300, 10));
  EXPECT_EQ(form_->size(), QSize(796, 613));
  EXPECT_FALSE(form_->isMaximized());
  // A right press on the title does not start a move; nothing to see but no harm either.
  QTest::mousePress(ui().Image1, Qt::RightButton, {}, QPoint(300, 10));
  QTest::mouseRelease(ui().Image1, Qt::RightButton, {}, QPoint(300, 10));
  EXPECT_EQ(form_->pos(), QPoint(229, 102));
  QTest::mouseClick(ui().ImgBtnMin, Qt::LeftButton, {}, QPoint(5, 5));
  EXPECT_TRUE(form_->windowState() & Qt::WindowMinimized);
}

TEST_F(MainWindowTest, TheCaptionButtonsShowTheirStatePictures) {
  TImgBtn& close = *ui().ImgBtnClose;
  EXPECT_EQ(close.Picture(), close.Pic());
  EXPECT_FALSE(close.PicUp().Empty());
  EXPECT_FALSE(close.PicDown().Empty());
  EXPECT_TRUE(ui().ImgBtnMax->Pic().Empty());
  EXPECT_EQ(ui().Image1->Picture().Width(), 796);
  EXPECT_EQ(ui().Image3->Picture().Height(), 28);
}

}  // namespace
}  // namespace tarvolen
