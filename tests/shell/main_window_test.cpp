#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QScrollBar>
#include <QTest>
#include <QTextBrowser>
#include <QTimer>
#include <QToolTip>
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
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "common/installation.h"
#include "shell/MyImgBtn.h"
#include "shell/Unit1.h"
#include "shell/chart_view.h"
#include "shell/skin_frame.h"
#include "shell/skin_widgets.h"
#include "ui_Unit1.h"

namespace tarvolen {
namespace {

namespace fs = std::filesystem;

// Answers the window's dialogs as a test tells it, and records what the window showed.
struct Answers {
  std::optional<QString> open_name;
  std::optional<QString> save_name;
  int save_filter = 0;  // the filter chosen in a save dialog with several
  QString open_folder;
  QString save_folder;
  QStringList open_filters;
  QStringList save_filters;
  std::vector<std::pair<QString, QString>> errors;  // caption, text
  QStringList viewers;    // the MIME types the desktop has a program for
  bool opens = true;      // whether the system starts the program for a document or address
  std::vector<QUrl> opened;
  QStringList notes;
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
  std::optional<QString> SaveFileName(QWidget*, const QString& folder, const QString& filter,
                                      const QString&) override {
    answers_.save_folder = folder;
    answers_.save_filters = NameFilters(filter);
    return answers_.save_name;
  }
  std::optional<TSaveChoice> SaveFileChoice(QWidget*, const QString& folder,
                                            const QString& filter) override {
    answers_.save_folder = folder;
    answers_.save_filters = NameFilters(filter);
    if (!answers_.save_name) return std::nullopt;
    return TSaveChoice{*answers_.save_name, answers_.save_filter};
  }
  void ShowError(QWidget*, const QString& caption, const QString& text) override {
    answers_.errors.emplace_back(caption, text);
  }
  bool HasViewer(const QString& mime_type) override {
    return answers_.viewers.contains(mime_type);
  }
  bool OpenUrl(const QUrl& url) override {
    if (answers_.opens) answers_.opened.push_back(url);
    return answers_.opens;
  }
  void ShowNote(QWidget*, const QPoint&, const QString& text) override { answers_.notes << text; }

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
  bool AxesAutomatic() const {
    TChart& chart = form_->Chart();
    return chart.BottomAxis().Automatic && chart.LeftAxis().Automatic &&
           !chart.HasSavedScales();
  }
  void Drag(Qt::MouseButton button, QPoint from, QPoint to) {
    TChartView& chart = *ui().Chart1;
    QTest::mousePress(&chart, button, {}, from);
    QTest::mouseMove(&chart, (from + to) / 2);
    QTest::mouseMove(&chart, to);
    QTest::mouseRelease(&chart, button, {}, to);
  }
  void Wheel(int delta) {
    TChartView& chart = *ui().Chart1;
    QWheelEvent event(QPointF(100, 100), chart.mapToGlobal(QPointF(100, 100)), QPoint(),
                      QPoint(0, delta), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&chart, &event);
  }
  // Makes the window the active one, as it is for a user at the keyboard.
  void Activate() {
    form_->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form_.get()));
  }
  // Presses `key` on `target` and returns the menu it opened, closed again; null for none.
  static QWidget* MenuOpenedBy(QWidget* target, int key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* opened = nullptr;
    QTimer::singleShot(0, [&opened] {
      opened = QApplication::activePopupWidget();
      if (opened) opened->close();
    });
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
    QCoreApplication::processEvents();
    // The offscreen platform leaves a closed menu the active window; a desktop does not.
    for (int i = 0; i < 100 && QApplication::activeWindow() != target->window(); ++i) {
      target->window()->activateWindow();
      QTest::qWait(10);
    }
    return opened;
  }

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

TEST_F(MainWindowTest, EveryToolButtonNamesItsOwnCommandAndKey) {
  EXPECT_EQ(ui().SpeedButton3->toolTip(), "Load Data (Ctrl+O)");
  EXPECT_EQ(ui().SpeedButton4->toolTip(), "Save Result (Ctrl+S)");
  EXPECT_EQ(ui().SpeedButton5->toolTip(), "Save Figure (Ctrl+E)");
  EXPECT_EQ(ui().SpeedButton6->toolTip(), "Manual (F1)");
  EXPECT_EQ(ui().SpeedButton7->toolTip(), "HomePage (Shift+F1)");
  EXPECT_EQ(ui().SpeedButton1->toolTip(), "Linear (Ctrl+1)");
  EXPECT_EQ(ui().SpeedButton14->toolTip(), "Hyperbola (Ctrl+0)");
  EXPECT_EQ(ui().SpeedButton3->text(), "Load Data");
  EXPECT_EQ(ui().SpeedButton7->text(), "Home");
  QStringList file_items;
  for (QAction* action : form_->FileMenu().actions()) {
    file_items << (action->isSeparator() ? "-" : action->text());
  }
  EXPECT_EQ(file_items,
            (QStringList{"Load Data", "Save Data", "Save Result", "Save Figure", "-", "Statistics",
                         "Compare Models", "-", "Exit"}));
  QStringList help_items;
  for (QAction* action : form_->HelpMenu().actions()) {
    help_items << (action->isSeparator() ? "-" : action->text());
  }
  EXPECT_EQ(help_items, (QStringList{"Manual", "-", "HomePage"}));
}

TEST_F(MainWindowTest, TheEmptyGridAtStartSaysWhatAFitNeeds) {
  Press(ui().SpeedButton1);
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].first, "Tarvolen");  // not the executable's name
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
                         "Data file(*.dat) (*.dat)", "CSV file(*.csv) (*.csv)"}));
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
  Press(ui().Button1);
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
  Press(ui().SpeedButton4);
  EXPECT_EQ(answers_.save_filters, QStringList{"TXT file(*.txt) (*.txt)"});
  EXPECT_EQ(Read(*answers_.save_name),
            "a= 2.2\r\nb= 0.6\r\nStandard Error= 0.894427190999916\r\n"
            "correlation coefficient= 0.774596669241483\r\n");
  // The box is editable; an empty box gives an empty file, and saving replaces the old one.
  ui().Memo1->clear();
  form_->FileMenu().actions()[2]->trigger();
  EXPECT_EQ(Read(*answers_.save_name), "");
  EXPECT_TRUE(answers_.errors.empty());
  // A cancelled dialog writes nothing.
  answers_.save_name.reset();
  Press(ui().SpeedButton4);
  EXPECT_TRUE(answers_.errors.empty());
}

TEST_F(MainWindowTest, SavingToADeviceWritesIntoIt) {
  const std::string device = (folder_ / "discard.bmp").string();
  if (::mknod(device.c_str(), S_IFCHR | 0666, makedev(1, 3)) != 0) GTEST_SKIP() << "no mknod";
  answers_.save_name = QString::fromStdString(device);
  Press(ui().SpeedButton4);
  Press(ui().SpeedButton5);
  EXPECT_TRUE(answers_.errors.empty());
  struct stat info {};
  ASSERT_EQ(::lstat(device.c_str(), &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
}

TEST_F(MainWindowTest, SaveResultIntoAMissingFolderSaysSo) {
  answers_.save_name = QString::fromStdString((folder_ / "no" / "r.txt").string());
  Press(ui().SpeedButton4);
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second,
            "Cannot create file \"" + *answers_.save_name + "\". No such file or directory.");
}

TEST_F(MainWindowTest, SaveFigureWritesTheFormatOfTheNameOrTheFilter) {
  Load("1 2\n2 4\n3 5\n");
  const struct {
    const char* chosen;
    int filter;
    const char* written;
    const char* signature;
  } cases[] = {
      {"figure", 0, "figure.bmp", "BM"},        {"picture.bmp", 0, "picture.bmp", "BM"},
      {"CAPS.BMP", 2, "CAPS.BMP", "BM"},        {"figure", 1, "figure.png", "\x89PNG"},
      {"slide.PNG", 0, "slide.PNG", "\x89PNG"}, {"figure", 2, "figure.svg", "<?xml"},
      {"paper.svg", 1, "paper.svg", "<?xml"},   {"fig.v2", 0, "fig.v2.bmp", "BM"},
  };
  for (const auto& c : cases) {
    answers_.save_name = QString::fromStdString((folder_ / c.chosen).string());
    answers_.save_filter = c.filter;
    Press(ui().SpeedButton5);
    const std::string bytes = Read(QString::fromStdString((folder_ / c.written).string()));
    EXPECT_EQ(bytes.substr(0, std::string(c.signature).size()), c.signature) << c.written;
    if (c.signature[0] != '<') {
      EXPECT_EQ(QImage::fromData(QByteArray::fromStdString(bytes)).size(), QSize(303, 245));
    } else {
      EXPECT_NE(bytes.find("<svg"), std::string::npos);
    }
  }
  EXPECT_FALSE(fs::exists(folder_ / "picture.bmp.bmp"));
  EXPECT_EQ(answers_.save_filters,
            (QStringList{"bmp(*.bmp) (*.bmp)", "png(*.png) (*.png)", "svg(*.svg) (*.svg)"}));
  EXPECT_TRUE(answers_.errors.empty());
  // The chart's pop-up menu and the File menu reach the same command.
  answers_.save_filter = 0;
  answers_.save_name = QString::fromStdString((folder_ / "popup").string());
  form_->ChartPopupMenu().actions()[0]->trigger();
  EXPECT_TRUE(fs::exists(folder_ / "popup.bmp"));
  answers_.save_name = QString::fromStdString((folder_ / "menu").string());
  form_->FileMenu().actions()[3]->trigger();
  EXPECT_TRUE(fs::exists(folder_ / "menu.bmp"));
}

TEST_F(MainWindowTest, CopyFigurePutsTheChartOnTheClipboard) {
  Load("1 2\n2 4\n3 5\n");
  form_->ChartPopupMenu().actions()[1]->trigger();
  const QImage copied = QGuiApplication::clipboard()->image();
  EXPECT_EQ(copied.size(), QSize(303, 245));
}

// ----- Data in and out: the clipboard, dropped files, Save Data -----

QAction& Named(QMenu& menu, const char* name) {
  QAction* action = menu.findChild<QAction*>(QString::fromLatin1(name));
  if (!action) throw std::runtime_error(std::string("no menu item ") + name);
  return *action;
}

// Drops `urls` at the middle of `target` as a file manager would, offering `actions`.
void Drop(QWidget* target, const QList<QUrl>& urls,
          Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction) {
  QMimeData data;
  data.setUrls(urls);
  const QPoint at = target->rect().center();
  QDragEnterEvent enter(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &enter);
  QDropEvent drop(at, actions, &data, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(target, &drop);
  QCoreApplication::processEvents();  // the load follows the drop
  if (auto* form = dynamic_cast<TForm1*>(target->window())) form->WaitUntilIdle();
}

TEST_F(MainWindowTest, PastingABlockFillsTheGridFromTheCurrentCellAndReplotsIt) {
  Load("1 2\n2 4\n3 5\n");
  QTableView& view = *ui().StringGrid1;
  view.setFocus();
  QGuiApplication::clipboard()->setText("4\t4\r\n5\t5\r\n6\t7\r\n");
  view.setCurrentIndex(view.model()->index(2, 0));  // row 3, X
  QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(form_->Grid().RowCount(), 6);
  EXPECT_EQ(Cell(1, 3), "4");
  EXPECT_EQ(Cell(2, 5), "7");
  ASSERT_EQ(ListedSeries(), 1u);
  EXPECT_EQ(form_->Chart().SeriesList()[0]->Count(), 5u);
  EXPECT_EQ(view.selectionModel()->selectedIndexes().size(), 6);

  // Pasting over data replaces exactly the cells pasted: one Y here, through the pop-up menu.
  QGuiApplication::clipboard()->setText("9");
  view.setCurrentIndex(view.model()->index(0, 1));
  Named(form_->GridPopupMenu(), "PasteCells1").trigger();
  EXPECT_EQ(Cell(1, 1), "1");
  EXPECT_EQ(Cell(2, 1), "9");
  EXPECT_EQ(Cell(1, 2), "2");
  EXPECT_EQ(form_->Grid().RowCount(), 6);

  // Semicolon-separated text from a spreadsheet where the comma is the decimal separator.
  QGuiApplication::clipboard()->setText("7;8\n6;9\n");
  view.setCurrentIndex(view.model()->index(4, 0));
  QTest::keyClick(&view, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(form_->Grid().RowCount(), 7);
  EXPECT_EQ(Cell(2, 6), "9");
  EXPECT_TRUE(answers_.errors.empty());
}

TEST_F(MainWindowTest, CopyPutsTheSelectedRangeOnTheClipboard) {
  Load("1 2\n2 \"4 x\"\n3 5\n");
  QTableView& view = *ui().StringGrid1;
  view.setFocus();
  view.setCurrentIndex(view.model()->index(0, 0));
  view.selectionModel()->select(
      QItemSelection(view.model()->index(0, 0), view.model()->index(1, 1)),
      QItemSelectionModel::ClearAndSelect);
  QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "1\t2\n2\t4 x\n");
  view.selectionModel()->select(view.model()->index(2, 1), QItemSelectionModel::ClearAndSelect);
  Named(form_->GridPopupMenu(), "CopyCells1").trigger();
  EXPECT_EQ(QGuiApplication::clipboard()->text(), "5\n");
  // What was copied pastes back to the same cells.
  view.selectionModel()->select(
      QItemSelection(view.model()->index(0, 0), view.model()->index(1, 1)),
      QItemSelectionModel::ClearAndSelect);
  Named(form_->GridPopupMenu(), "CopyCells1").trigger();
  view.setCurrentIndex(view.model()->index(2, 0));
  Named(form_->GridPopupMenu(), "PasteCells1").trigger();
  EXPECT_EQ(Cell(1, 4), "2");
  EXPECT_EQ(Cell(2, 4), "4 x");
}

// The old way: the whole block went into the one cell being edited, and the next fit failed on
// it with a message of several lines.
TEST_F(MainWindowTest, ABlockPutIntoTheCellEditorSpreadsOverTheCells) {
  QTableView& view = *ui().StringGrid1;
  view.setFocus();
  auto open_editor = [&](int row, int col, const QString& typed) -> QLineEdit* {
    view.setCurrentIndex(view.model()->index(row - 1, col - 1));
    QTest::keyClicks(&view, typed);
    for (QLineEdit* editor : view.viewport()->findChildren<QLineEdit*>()) {
      if (editor->isVisible()) return editor;
    }
    return nullptr;
  };
  QLineEdit* editor = open_editor(1, 1, "7");
  ASSERT_NE(editor, nullptr);
  QGuiApplication::clipboard()->setText("1\t2\n3\t4\n");
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(2, 2) == "4"; }, 1000));
  EXPECT_EQ(Cell(1, 1), "1");
  ASSERT_EQ(ListedSeries(), 1u);
  EXPECT_EQ(form_->Chart().SeriesList()[0]->Count(), 2u);

  // One cell copied from a spreadsheet comes with a line end, which the cell does not take.
  editor = open_editor(5, 2, "2");
  ASSERT_NE(editor, nullptr);
  QGuiApplication::clipboard()->setText("3.5\r\n");
  QTest::keyClick(editor, Qt::Key_V, Qt::ControlModifier);
  EXPECT_EQ(editor->text(), "23.5");
  QTest::keyClick(editor, Qt::Key_Return);
  QCoreApplication::processEvents();
  EXPECT_EQ(Cell(2, 5), "23.5");

  // A block that comes in another way (dropped text, the middle button) is spread too.
  editor = open_editor(7, 2, "9");
  ASSERT_NE(editor, nullptr);
  editor->insert("5\t6\r\n7\t8");
  EXPECT_TRUE(QTest::qWaitFor([&] { return Cell(2, 8) == "7"; }, 1000));
  EXPECT_EQ(Cell(2, 7), "5");
  EXPECT_EQ(Cell(1, 7), "");
  EXPECT_EQ(Cell(3, 7), "");  // nothing past Y
  EXPECT_EQ(form_->Grid().RowCount(), 21);
  EXPECT_TRUE(answers_.errors.empty());
}

TEST_F(MainWindowTest, AFileDroppedAnywhereLoadsAsLoadDataWould) {
  const QString first = Write("first.txt", "1 2\n2 4\n3 5\n");
  const QString csv = Write("second.csv", "x,y\n1,2\n2,4\n3,5\n4,4\n");
  ui().Memo1->setPlainText("kept");
  Drop(ui().Memo1->viewport(), {QUrl::fromLocalFile(first)});
  EXPECT_EQ(form_->Grid().RowCount(), 4);
  EXPECT_EQ(Memo(), "kept");  // the file's address is not typed into the results box
  ASSERT_EQ(ListedSeries(), 1u);
  Drop(ui().Chart1, {QUrl::fromLocalFile(csv)});
  EXPECT_EQ(form_->Grid().RowCount(), 5);
  EXPECT_EQ(ui().StringGrid1->model()->headerData(1, Qt::Horizontal).toString(), "y");
  Drop(ui().StringGrid1->viewport(), {QUrl::fromLocalFile(first), QUrl::fromLocalFile(csv)});
  EXPECT_EQ(form_->Grid().RowCount(), 4);
  EXPECT_EQ(Cell(2, 0), "Y");
  EXPECT_EQ(answers_.notes, QStringList{"2 files dropped: only the first, first.txt, is loaded."});
  EXPECT_TRUE(answers_.errors.empty());

  // The same errors as Load Data; a drop that could only move the file, or that holds no
  // file, is not taken.
  const QString missing = QString::fromStdString((folder_ / "missing.txt").string());
  Drop(ui().Label1, {QUrl::fromLocalFile(missing)});
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second,
            "Cannot open file \"" + missing + "\". No such file or directory.");
  Drop(form_.get(), {QUrl::fromLocalFile(csv)}, Qt::MoveAction);
  Drop(form_.get(), {QUrl(u"https://tarvolen.org/data.txt"_qs)});
  EXPECT_EQ(form_->Grid().RowCount(), 4);
}

// Typed cells saved as text and as CSV load back to the same cells.
TEST_F(MainWindowTest, SaveDataWritesWhatLoadDataReadsBack) {
  const std::vector<std::pair<QString, QString>> typed = {
      {"1", "2.5"}, {"", "4"}, {"a b", "\"q\""}, {"3", ""}, {"1,5", "x;y"}};
  for (std::size_t i = 0; i < typed.size(); ++i) {
    const int row = static_cast<int>(i) + 1;
    if (!typed[i].first.isEmpty()) Type(1, row, typed[i].first);
    if (!typed[i].second.isEmpty()) Type(2, row, typed[i].second);
  }
  const struct {
    const char* chosen;
    int filter;
    const char* written;
  } cases[] = {{"typed", 0, "typed.txt"}, {"typed", 1, "typed.csv"}, {"typed.dat", 1, "typed.dat"}};
  for (const auto& c : cases) {
    answers_.save_name = QString::fromStdString((folder_ / c.chosen).string());
    answers_.save_filter = c.filter;
    QTest::keyClick(form_.get(), Qt::Key_S, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(fs::exists(folder_ / c.written)) << c.written;
    Answers loaded_answers;
    loaded_answers.open_name = QString::fromStdString((folder_ / c.written).string());
    TForm1 loaded(std::make_unique<FakeDialogs>(loaded_answers));
    loaded.Open1Click();
    loaded.WaitUntilIdle();
    for (int row = 1; row <= 20; ++row) {
      EXPECT_EQ(loaded.Grid().Cell(1, row), form_->Grid().Cell(1, row)) << c.written << row;
      EXPECT_EQ(loaded.Grid().Cell(2, row), form_->Grid().Cell(2, row)) << c.written << row;
    }
  }
  EXPECT_EQ(answers_.save_filters,
            (QStringList{"TXT file(*.txt) (*.txt)", "CSV file(*.csv) (*.csv)"}));
  EXPECT_EQ(Read(QString::fromStdString((folder_ / "typed.txt").string())).substr(0, 11),
            "1\t2.5\n\"\"\t4\n");
  EXPECT_TRUE(answers_.errors.empty());
}

TEST_F(MainWindowTest, SaveDataSaysWhatTextCannotKeepAndWritesNothing) {
  answers_.open_name = Write("data.csv", "x,y\r\n1,\"two\r\nlines\"\r\n");
  Press(ui().SpeedButton3);
  answers_.errors.clear();
  answers_.save_name = QString::fromStdString((folder_ / "lines.txt").string());
  Named(form_->FileMenu(), "SaveData1").trigger();
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_EQ(answers_.errors[0].second,
            "Row 1, column Y holds a line break, which a text data file cannot keep: save the "
            "data under a name ending in .csv.");
  EXPECT_FALSE(fs::exists(folder_ / "lines.txt"));
}

// A load replaces the grid's data: the window and tarvolen-fit see the same cells. The old way,
// row 3 kept the Y of the file before, and Linear fitted data the user never loaded.
TEST_F(MainWindowTest, ALoadLeavesNothingOfTheFileBefore) {
  const std::string files[] = {"1 2\n2 4\n3\n4 4\n5 5\n", "1 2\n2 4\n\n4 4\n5 5\n"};
  for (const std::string& bytes : files) {
    SCOPED_TRACE(bytes);
    Load("1 2\n2 4\n3 5\n4 4\n5 5\n9 9 9\n");
    answers_.errors.clear();
    const QString name = Write("next.txt", bytes);
    answers_.open_name = name;
    Press(ui().SpeedButton3);
    EXPECT_EQ(Cell(2, 3), "");
    EXPECT_EQ(Cell(3, 6), "");
    Press(ui().SpeedButton1);
    const std::string out = (folder_ / "fit.out").string();
    const std::string command = std::string(TARVOLEN_FIT_EXE) + " --model 1 '" +
                                name.toStdString() + "' >'" + out + "' 2>&1";
    std::system(command.c_str());
    const QString shown = answers_.errors.empty() ? Memo() : answers_.errors[0].second + u'\n';
    EXPECT_EQ(shown.toStdString(), Read(QString::fromStdString(out)));
  }
}

TEST_F(MainWindowTest, ManualAndHomePageGoToTheSystem) {
  answers_.viewers = {"application/vnd.ms-htmlhelp", "x-scheme-handler/https"};
  Press(ui().SpeedButton6);
  Press(ui().SpeedButton7);
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
  EXPECT_TRUE(answers_.errors.empty());
  EXPECT_EQ(form_->HelpWindow(), nullptr);
}

// Without a help viewer (a plain Debian desktop) the manual used to do nothing visible; without a
// browser, so did the home page.
TEST_F(MainWindowTest, ManualAndHomePageNeverFailSilently) {
  const QString html_page = "/share/doc/tarvolen/manual/index.html";
  const QString no_browser =
      "Cannot open the home page https://tarvolen.org/: no web browser is set up.";
  struct Case {
    QStringList viewers;
    bool opens;
    QString manual_opened;  // the end of the path the system was asked to open, or none
    bool help_window;
    QString home_error;
  } const cases[] = {
      {{"text/html", "x-scheme-handler/https"}, true, html_page, false, ""},
      {{"application/vnd.ms-htmlhelp"}, false, "", true, no_browser},  // the viewer did not start
      {{}, true, "", true, no_browser},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.viewers.join(' ').toStdString());
    Answers answers;
    answers.viewers = c.viewers;
    answers.opens = c.opens;
    TForm1 form(std::make_unique<FakeDialogs>(answers));
    form.Manual1Click();
    if (c.manual_opened.isEmpty()) {
      EXPECT_TRUE(answers.opened.empty());
    } else {
      ASSERT_EQ(answers.opened.size(), 1u);
      EXPECT_TRUE(answers.opened[0].toLocalFile().endsWith(c.manual_opened));
    }
    ASSERT_EQ(form.HelpWindow() != nullptr, c.help_window);
    if (c.help_window) {
      EXPECT_TRUE(form.HelpWindow()->isVisible());
      const QTextBrowser& browser = form.HelpWindow()->Browser();
      EXPECT_TRUE(browser.source().toLocalFile().endsWith(html_page));
      EXPECT_TRUE(browser.toPlainText().contains("least squares"));
      EXPECT_TRUE(form.HelpWindow()->windowTitle().startsWith("Tarvolen "));
    }
    EXPECT_TRUE(answers.errors.empty());
    answers.opened.clear();
    form.Phase1Click();
    if (c.home_error.isEmpty()) {
      EXPECT_TRUE(answers.errors.empty());
      EXPECT_EQ(answers.opened, std::vector<QUrl>{QUrl(kHomePage)});
    } else {
      ASSERT_EQ(answers.errors.size(), 1u);
      EXPECT_EQ(answers.errors[0].second, c.home_error);
    }
  }
}

TEST_F(MainWindowTest, ExitAndTheCloseButtonCloseTheWindow) {
  form_->FileMenu().actions().back()->trigger();
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

namespace tarvolen {
namespace {

// Exchange used to leave the chart as it was: the next fit's curve was drawn over points that
// were no longer the data.
TEST_F(MainWindowTest, ExchangeRedrawsThePointsAndRemovesTheCurve) {
  Load("1 10\n2 20\n3 35\n");
  Press(ui().SpeedButton1);
  ASSERT_EQ(ListedSeries(), 2u);
  Press(ui().Button1);
  ASSERT_EQ(ListedSeries(), 1u);
  const TChartSeries& points = *form_->Chart().SeriesList()[0];
  ASSERT_EQ(points.Count(), 3u);
  EXPECT_EQ(points.XValues()[2], 35);
  EXPECT_EQ(points.YValues()[2], 3);
  EXPECT_EQ(Memo().left(3), "a= ");  // the report stays until the next fit
  EXPECT_TRUE(answers_.errors.empty());
}

// A fit that failed before drawing used to leave the previous model's curve beside the emptied
// results box; what a failing fit draws of its own curve still stays.
TEST_F(MainWindowTest, AFailedFitLeavesNoCurveOfAnotherFit) {
  answers_.open_name = QString(TARVOLEN_EXAMPLES) + "/cooling.txt";
  Press(ui().SpeedButton3);
  Press(ui().SpeedButton9);  // compound
  ASSERT_EQ(ListedSeries(), 2u);
  Press(ui().SpeedButton10);  // logarithmic: ln 0
  ASSERT_EQ(answers_.errors.size(), 1u);
  EXPECT_TRUE(answers_.errors[0].second.startsWith("Floating point division by zero. "));
  EXPECT_EQ(Memo(), "");
  EXPECT_EQ(ListedSeries(), 1u);
  EXPECT_EQ(form_->CurveSeries(), nullptr);
  EXPECT_EQ(form_->Chart().OwnedSeriesCount(), 1u);  // the old curve is gone, not just hidden

  // Two points: the linear curve is drawn, then the statistics fail.
  Load("1 2\n2 4\n");
  Press(ui().SpeedButton1);
  ASSERT_EQ(answers_.errors.size(), 2u);
  ASSERT_EQ(ListedSeries(), 2u);
  EXPECT_EQ(form_->CurveSeries()->Count(), 41u);
}

// One wheel step used to make the axes manual for good: the unzoom drag no longer restored them
// and a later load of data elsewhere showed an empty chart.
TEST_F(MainWindowTest, AutomaticScalingComesBackAfterTheWheelAndWithEveryLoad) {
  Load("0 0\n10 10\n");
  const QPoint top_left(60, 40), bottom_right(160, 140);
  Wheel(120);
  EXPECT_FALSE(form_->Chart().LeftAxis().Automatic);
  Drag(Qt::LeftButton, bottom_right, top_left);  // the unzoom drag
  EXPECT_TRUE(AxesAutomatic());

  Drag(Qt::RightButton, {100, 100}, {140, 120});  // scroll
  EXPECT_FALSE(form_->Chart().BottomAxis().Automatic);
  Wheel(-240);
  Drag(Qt::LeftButton, bottom_right, top_left);
  EXPECT_TRUE(AxesAutomatic());

  // A zoom survives a fit; a load, also of a file that fails, and an exchange start afresh.
  Drag(Qt::LeftButton, top_left, bottom_right);
  Press(ui().SpeedButton1);
  EXPECT_FALSE(AxesAutomatic());
  Load("100 1000\n200 2000\n");
  EXPECT_TRUE(AxesAutomatic());
  Drag(Qt::LeftButton, top_left, bottom_right);
  Load("1 2\n2 x\n");
  EXPECT_TRUE(AxesAutomatic());
  Load("1 2\n2 3\n");
  Drag(Qt::LeftButton, top_left, bottom_right);
  Press(ui().Button1);
  EXPECT_TRUE(AxesAutomatic());
  // A cancelled load keeps the data, and the zoom with them.
  Drag(Qt::LeftButton, top_left, bottom_right);
  answers_.open_name.reset();
  Press(ui().SpeedButton3);
  EXPECT_FALSE(AxesAutomatic());
}

// The grid's three 64-pixel columns did not fit its 185 pixels: X scrolled out of view whenever
// Y was current, and "9.999850" showed as "9850".
TEST_F(MainWindowTest, XAndYAreAlwaysWhollyInViewAndLongTextsReadable) {
  QTableView& view = *ui().StringGrid1;
  const QString long_number = "-1.23456789012345E-100";
  for (const int rows : {5, 100000}) {
    SCOPED_TRACE(rows);
    std::string bytes;
    for (int r = 1; r <= rows; ++r) bytes += std::to_string(r) + " 9.999850\n";
    bytes += "1 " + long_number.toStdString() + "\n";
    Load(bytes);
    const QModelIndex last_y = view.model()->index(rows, 1);
    view.setCurrentIndex(last_y);
    view.scrollTo(last_y);
    QCoreApplication::processEvents();
    EXPECT_EQ(view.horizontalScrollBar()->maximum(), 0);
    const QRect x_cell = view.visualRect(view.model()->index(rows, 0));
    const QRect y_cell = view.visualRect(last_y);
    EXPECT_GE(x_cell.left(), 0);
    EXPECT_LE(y_cell.right(), view.viewport()->width());
    // A plain number is shown whole, and so is the largest row number.
    const QFontMetrics metrics = view.fontMetrics();
    EXPECT_LT(metrics.horizontalAdvance("9.999850") + 8, y_cell.width());
    EXPECT_LE(metrics.horizontalAdvance(QString::number(rows + 1)) + 4,
              view.verticalHeader()->width());
    // A text that does not fit shows whole in a tool tip.
    QHelpEvent tip(QEvent::ToolTip, y_cell.center(), view.viewport()->mapToGlobal(y_cell.center()));
    QCoreApplication::sendEvent(view.viewport(), &tip);
    EXPECT_TRUE(QToolTip::isVisible());
    EXPECT_EQ(QToolTip::text(), long_number);
    QToolTip::hideText();
    for (int i = 0; i < 100 && QToolTip::isVisible(); ++i) QTest::qWait(10);
    const QRect short_cell = view.visualRect(view.model()->index(0, 1));
    QHelpEvent no_tip(QEvent::ToolTip, short_cell.center(),
                      view.viewport()->mapToGlobal(short_cell.center()));
    QCoreApplication::sendEvent(view.viewport(), &no_tip);
    EXPECT_FALSE(QToolTip::isVisible());
  }
}

TEST_F(MainWindowTest, DeleteEmptiesTheSelectedCells) {
  Load("1 2\n3 4\n5 6\n");
  Activate();
  QTableView& view = *ui().StringGrid1;
  view.setFocus();
  view.setCurrentIndex(view.model()->index(0, 1));
  view.selectionModel()->select(
      QItemSelection(view.model()->index(0, 1), view.model()->index(1, 1)),
      QItemSelectionModel::ClearAndSelect);
  QTest::keyClick(&view, Qt::Key_Delete);
  EXPECT_EQ(Cell(2, 1), "");
  EXPECT_EQ(Cell(2, 2), "");
  EXPECT_EQ(Cell(1, 1), "1");
  EXPECT_EQ(Cell(2, 3), "6");
  EXPECT_EQ(view.model()->data(view.model()->index(1, 1)).toString(), "");
  for (QLineEdit* editor : view.viewport()->findChildren<QLineEdit*>()) {
    EXPECT_FALSE(editor->isVisible());  // no editor opened
  }
}

// Every command can be reached from the keyboard, wherever the focus is, and a key leaves the
// focus (and an open cell editor) where it was.
TEST_F(MainWindowTest, CommandKeysWorkFromTheGrid) {
  Activate();
  QTableView& view = *ui().StringGrid1;
  EXPECT_EQ(QApplication::focusWidget(), &view);
  answers_.open_name = Write("data.txt", "1 2\n2 4\n3 5\n4 4\n5 x\n");
  QTest::keyClick(&view, Qt::Key_O, Qt::ControlModifier);
  form_->WaitUntilIdle();
  EXPECT_EQ(form_->Grid().RowCount(), 6);
  answers_.errors.clear();
  view.setCurrentIndex(view.model()->index(4, 1));
  QTest::keyClicks(&view, "5");  // the editor stays open
  QWidget* editor = QApplication::focusWidget();
  QTest::keyClick(editor, Qt::Key_1, Qt::ControlModifier);
  form_->WaitUntilIdle();
  EXPECT_TRUE(answers_.errors.empty());
  EXPECT_EQ(Memo().left(6), "a= 2.2");

  answers_.viewers = {"x-scheme-handler/https"};
  QTest::keyClick(&view, Qt::Key_F1, Qt::ShiftModifier);
  EXPECT_EQ(answers_.opened, std::vector<QUrl>{QUrl(kHomePage)});
  EXPECT_EQ(QApplication::focusWidget(), &view);
}

TEST_F(MainWindowTest, MenuKeysOpenTheMenusAndArrowsMoveBetweenThem) {
  Activate();
  QWidget* grid = ui().StringGrid1;
  EXPECT_EQ(MenuOpenedBy(grid, Qt::Key_F10), &form_->FileMenu());
  EXPECT_EQ(MenuOpenedBy(grid, Qt::Key_F, Qt::AltModifier), &form_->FileMenu());
  EXPECT_EQ(MenuOpenedBy(grid, Qt::Key_F10), &form_->FileMenu());
  EXPECT_EQ(MenuOpenedBy(grid, Qt::Key_H, Qt::AltModifier), &form_->HelpMenu());
  // Right in the open File menu moves to the Help menu.
  QWidget* moved_to = nullptr;
  QTimer::singleShot(0, [] {
    if (QWidget* file = QApplication::activePopupWidget()) QTest::keyClick(file, Qt::Key_Right);
  });
  QTest::keyClick(grid, Qt::Key_F, Qt::AltModifier);
  QTimer::singleShot(0, [&moved_to] {
    moved_to = QApplication::activePopupWidget();
    if (moved_to) moved_to->close();
  });
  QTest::qWait(50);
  EXPECT_EQ(moved_to, &form_->HelpMenu());
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
}

// The model and tool buttons took no focus at all; the results box swallowed Tab.
TEST_F(MainWindowTest, TabReachesEveryCommandButtonWithAVisibleMark) {
  Activate();
  QTest::keyClick(ui().StringGrid1, Qt::Key_Tab, Qt::ControlModifier);
  EXPECT_EQ(QApplication::focusWidget(), ui().Button1);
  ui().StringGrid1->setFocus();
  QTest::keyClick(ui().StringGrid1, Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
  EXPECT_EQ(QApplication::focusWidget(), ui().SpeedButton7);
  ui().Button1->setFocus(Qt::TabFocusReason);
  QList<QWidget*> reached;
  for (int i = 0; i < 16; ++i) {
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    reached << QApplication::focusWidget();
  }
  const Ui::TForm1& f = ui();
  const QList<QWidget*> expected = {
      f.SpeedButton1,  f.SpeedButton2,  f.SpeedButton9,  f.SpeedButton10, f.SpeedButton11,
      f.SpeedButton12, f.SpeedButton15, f.SpeedButton16, f.SpeedButton13, f.SpeedButton14,
      f.Memo1,         f.SpeedButton3,  f.SpeedButton4,  f.SpeedButton5,  f.SpeedButton6,
      f.SpeedButton7};
  EXPECT_EQ(reached, expected);
  EXPECT_EQ(Memo(), "");  // Tab moved on from the results box, writing nothing

  // The focused button looks focused, and Space presses it.
  QToolButton& linear = *ui().SpeedButton1;
  const QImage plain = linear.grab().toImage();
  linear.setFocus(Qt::TabFocusReason);
  const QImage focused = linear.grab().toImage();
  EXPECT_NE(plain, focused);
  Load("1 2\n2 4\n3 5\n4 4\n5 5\n");
  linear.setFocus(Qt::TabFocusReason);
  QTest::keyClick(&linear, Qt::Key_Space);
  form_->WaitUntilIdle();
  EXPECT_EQ(Memo().left(6), "a= 2.2");
}

// The File and Help buttons used to stay highlighted after their menu closed, until the mouse
// passed over them again: the open menu takes the mouse, so the button sees no leaving.
TEST_F(MainWindowTest, MenuButtonsReturnToNormalWhenTheirMenuCloses) {
  const QPoint outside = form_->mapToGlobal(QPoint(600, 300));
  QCursor::setPos(outside);  // where the click that closes the menu will be
  QCoreApplication::processEvents();
  for (TSkinMenuBarButton* button : {&form_->FileButton(), &form_->HelpButton()}) {
    QEnterEvent enter(QPointF(10, 10), QPointF(10, 10), button->mapToGlobal(QPointF(10, 10)));
    QCoreApplication::sendEvent(button, &enter);
    ASSERT_TRUE(button->State().hot);
    QTimer::singleShot(0, [outside] {
      if (QWidget* menu = QApplication::activePopupWidget()) {
        QTest::mouseClick(menu, Qt::LeftButton, {}, menu->mapFromGlobal(outside));
      }
    });
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(10, 10));
    QCoreApplication::processEvents();
    EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
    EXPECT_FALSE(button->State().hot);
    EXPECT_FALSE(button->State().selected);
  }
}

// Load Data's dialog used to start in the program's folder, the save dialogs in the working
// folder, whatever the user had chosen before.
TEST_F(MainWindowTest, FileDialogsStartWhereTheUserWorks) {
  answers_.open_name.reset();
  Press(ui().SpeedButton3);
  ASSERT_TRUE(ExamplesFolder());
  EXPECT_EQ(answers_.open_folder, QString::fromStdString(*ExamplesFolder()));
  Press(ui().SpeedButton4);
  EXPECT_EQ(answers_.save_folder, QDir::homePath());

  const QString here = QString::fromStdString(folder_.string());
  Load("1 2\n2 4\n3 5\n");
  answers_.open_name.reset();
  Press(ui().SpeedButton3);
  EXPECT_EQ(answers_.open_folder, here);
  fs::create_directories(folder_ / "results");
  fs::create_directories(folder_ / "figures");
  const struct {
    QToolButton* button;
    std::string chosen;  // relative to the test's folder; empty: cancel
    QString starts_in;
  } steps[] = {
      {ui().SpeedButton4, "results/r.txt", here},  // first time: where the data came from
      {ui().SpeedButton5, "figures/f.bmp", here},
      {ui().SpeedButton4, "", here + "/results"},
      {ui().SpeedButton5, "missing/f.bmp", here + "/figures"},
      {ui().SpeedButton5, "", here + "/figures"},  // a folder that is not there is not kept
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.chosen);
    answers_.save_name.reset();
    if (!step.chosen.empty()) {
      answers_.save_name = QString::fromStdString((folder_ / step.chosen).string());
    }
    QTest::mouseClick(step.button, Qt::LeftButton);
    EXPECT_EQ(answers_.save_folder, step.starts_in);
  }
}

}  // namespace
}  // namespace tarvolen
