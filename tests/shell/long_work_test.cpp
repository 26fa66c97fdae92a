// Loads and fits off the window's thread: the window shows exactly what the same fit run on its
// own thread shows, keeps answering while the work runs, and a cancelled command changes nothing.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCursor>
#include <QDropEvent>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <QToolButton>
#include <QUrl>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "common/errors.h"
#include "data/data_file.h"
#include "fit/fit.h"
#include "plot/chart_curve.h"
#include "plot/data_plot.h"
#include "shell/Unit1.h"
#include "shell/progress_panel.h"
#include "ui_Unit1.h"
#include "window_work_fixture.h"

namespace tarvolen {
namespace {

namespace fs = std::filesystem;

using testing::RecordedErrors;

// What the window shows after a command, or what a synchronous run of the core leaves.
struct Shown {
  std::string results;
  std::vector<std::string> errors;
  FitFields fields;
  // Every listed series: colour, X and Y.
  std::vector<std::tuple<TColor, std::vector<double>, std::vector<double>>> series;
};

void ExpectSame(const Shown& window, const Shown& core) {
  EXPECT_EQ(window.results, core.results);
  EXPECT_EQ(window.errors, core.errors);
  EXPECT_EQ(window.fields.CurveXFirst, core.fields.CurveXFirst);
  EXPECT_EQ(window.fields.CurveXLast, core.fields.CurveXLast);
  EXPECT_EQ(window.fields.StdError, core.fields.StdError);
  EXPECT_EQ(window.fields.CorrCoef, core.fields.CorrCoef);
  ASSERT_EQ(window.series.size(), core.series.size());
  for (std::size_t i = 0; i < core.series.size(); ++i) {
    EXPECT_TRUE(window.series[i] == core.series[i]) << "series " << i << " differs";
  }
}

Shown WhatTheChartShows(const TChart& chart, Shown shown) {
  for (const TChartSeries* series : chart.SeriesList()) {
    shown.series.emplace_back(series->SeriesColor(),
                              std::vector<double>(series->XValues().begin(),
                                                  series->XValues().end()),
                              std::vector<double>(series->YValues().begin(),
                                                  series->YValues().end()));
  }
  return shown;
}

// The window's state and commands as they were before loads and fits left its thread: the same
// core calls, one after the other, on one thread.
class CoreWindow {
 public:
  CoreWindow() {
    grid_.WriteHeaders();
    ConfigureChart1(chart_);
  }
  void Load(const std::string& path) {
    Run([&] {
      grid_ = GridTable();
      grid_.WriteHeaders();
      LoadDataFile(path, grid_);
      PlotDataPoints(chart_, grid_, '.', curve_.Series());
    });
  }
  // A fit that fails before replacing the curve takes the old one away with the report.
  void Fit(Model model) {
    const std::size_t restarts = curve_.Restarts();
    Run([&] {
      try {
        RunFit(model, {grid_, &curve_, fields_, memo_, '.'});
      } catch (const Exception&) {
        if (curve_.Restarts() == restarts) curve_.Remove();
        throw;
      }
    });
  }
  Shown Now() const {
    Shown shown{"", errors_, fields_, {}};
    for (const std::string& line : memo_.Lines()) shown.results += line + "\n";
    return WhatTheChartShows(chart_, shown);
  }

 private:
  template <class Body>
  void Run(Body&& body) {
    try {
      body();
    } catch (const Exception& error) {
      errors_.push_back(ErrorBoxText(error.what()));
    }
  }

  GridTable grid_;
  TChart chart_;
  ChartCurve curve_{chart_};
  FitFields fields_;
  StringResultLines memo_;
  std::vector<std::string> errors_;
};

// A named pipe held open for writing: a load of it waits until the test writes the data and
// lets go. Finish must be called before the window goes (or the load waits for ever).
class PipeLoad {
 public:
  explicit PipeLoad(const fs::path& path) : path_(path.string()) {
    EXPECT_EQ(::mkfifo(path_.c_str(), 0600), 0) << path_ << ": " << std::strerror(errno);
    writer_ = ::open(path_.c_str(), O_RDWR);  // does not wait for a reader, as O_WRONLY would
    EXPECT_GE(writer_, 0);
  }
  ~PipeLoad() {
    if (writer_ >= 0) ::close(writer_);
  }
  // Writes `text` and closes: the load reads it, then the end of the file.
  void Finish(const std::string& text) {
    EXPECT_EQ(::write(writer_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    ::close(writer_);
    writer_ = -1;
  }
  const std::string& Path() const { return path_; }

 private:
  std::string path_;
  int writer_ = -1;
};

class LongWorkTest : public testing::WindowWorkTest {
 protected:
  // Lets the event loop run until the window's work has ended (ten seconds at most).
  void WaitByEvents() {
    for (int i = 0; i < 1000 && form_->Busy(); ++i) QTest::qWait(10);
  }
  // Five points loaded and fitted, then a load of `pipe` started; returns what the window
  // showed before the load.
  Shown FitThenStartLoading(const PipeLoad& pipe) {
    Load(Write("five.txt", "1 2\n2 4\n3 5\n4 4\n5 5\n"));
    Fit(Model::kLinear);
    const Shown before = Now();
    form_->OpenFile(QString::fromStdString(pipe.Path()));
    return before;
  }
  Shown Now() const {
    return WhatTheChartShows(form_->Chart(), {ui().Memo1->toPlainText().toStdString(), errors_,
                                              form_->Fields(), {}});
  }

};

// Every model on every example file and on data that fail at each step of a fit, after a
// linear fit: the window shows the same report, curve, fields and message as the core run on
// the window's own thread.
TEST_F(LongWorkTest, EveryModelShowsWhatTheSameFitOnTheWindowsThreadShows) {
  std::vector<std::string> files;
  for (const char* example : {"cooling.txt", "enzyme-rate.txt", "five-points.txt", "growth.txt"}) {
    files.push_back(std::string(TARVOLEN_EXAMPLES) + "/" + example);
  }
  files.push_back(Write("not-a-number.txt", "1 2\n2 4\n3 x\n4 5\n"));
  files.push_back(Write("zero-and-negative.txt", "0 -1\n1 2\n2 4\n3 3\n"));
  files.push_back(Write("two-rows.txt", "1 2\n2 5\n"));
  files.push_back(Write("same-y.txt", "1 3\n2 3\n4 3\n"));
  // The inverse model's curve from -2 to 2 passes X = 0 (sample 40 of 80): it ends there.
  files.push_back(Write("pole.txt", "-2 -1\n-1 -2\n1 3\n2 2\n"));
  files.push_back(Write("empty-rows.txt", "\n\n1 2\n\n2 4\n3 5\n4 4\n"));
  for (const std::string& file : files) {
    for (int number = 1; number <= kModelCount; ++number) {
      const Model model = static_cast<Model>(number);
      SCOPED_TRACE(fs::path(file).filename().string() + " " + std::string(ModelName(model)));
      errors_.clear();
      form_ = std::make_unique<TForm1>(std::make_unique<RecordedErrors>(errors_));
      CoreWindow core;
      Load(file);
      core.Load(file);
      Fit(Model::kLinear);
      core.Fit(Model::kLinear);
      Fit(model);
      core.Fit(model);
      ExpectSame(Now(), core.Now());
    }
  }
}

TEST_F(LongWorkTest, ACancelledFitLeavesTheWindowAsItWas) {
  Load(BigFile(200000));
  Fit(Model::kLinear);
  const Shown before = Now();
  const TLineSeries* curve = form_->CurveSeries();
  // Cancelled at once, by the button and by Esc: the work may have done anything up to then.
  form_->RunModel(Model::kExponential);
  EXPECT_TRUE(form_->Busy());
  form_->ProgressPanel().CancelButton().click();
  form_->WaitUntilIdle();
  form_->RunModel(Model::kQuadratic);
  QTest::keyClick(form_.get(), Qt::Key_Escape);
  form_->WaitUntilIdle();
  EXPECT_FALSE(form_->Busy());
  ExpectSame(Now(), before);
  EXPECT_EQ(form_->CurveSeries(), curve);
  EXPECT_EQ(form_->Chart().OwnedSeriesCount(), 2u);
  // The window carries on as before.
  Fit(Model::kQuadratic);
  EXPECT_TRUE(ui().Memo1->toPlainText().startsWith(u"a= "_qs));
  EXPECT_EQ(std::get<2>(Now().series[1]).size(), 20u * 200000 + 1);
}

TEST_F(LongWorkTest, WhileWorkRunsTheWindowAnswersAndOtherCommandsWait) {
  PipeLoad pipe(folder_ / "pipe");
  const Shown before = FitThenStartLoading(pipe);
  ASSERT_TRUE(form_->Busy());
  // At once: the busy cursor, and no cell editor opens; the bar waits for slow work.
  ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::BusyCursor);
  EXPECT_EQ(ui().StringGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_FALSE(form_->ProgressPanel().isVisible());
  EXPECT_TRUE(ui().SpeedButton1->isEnabled());

  QTest::qWait(700);
  EXPECT_TRUE(form_->ProgressPanel().isVisible());
  EXPECT_EQ(form_->ProgressPanel().Caption(), u"Loading pipe\u2026"_qs);
  const std::vector<QWidget*> commands = {ui().SpeedButton1, ui().SpeedButton14, ui().SpeedButton3,
                                         ui().SpeedButton4, ui().Button1};
  for (QWidget* command : commands) {
    EXPECT_FALSE(command->isEnabled()) << command->objectName().toStdString();
  }
  EXPECT_FALSE(form_->FileMenu().actions()[0]->isEnabled());
  EXPECT_TRUE(form_->FileMenu().actions().back()->isEnabled());  // Exit
  // A command reached another way waits too: it does nothing.
  form_->RunModel(Model::kQuadratic);
  form_->Button1Click();
  ui().StringGrid1->selectAll();
  QTest::keyClick(ui().StringGrid1, Qt::Key_Delete);
  // A dropped file is refused, so that its source does not take it for delivered.
  QMimeData dropped;
  dropped.setUrls({QUrl::fromLocalFile(QString::fromStdString(Write("dropped.txt", "1 2\n")))});
  QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &dropped, Qt::LeftButton, Qt::NoModifier);
  QCoreApplication::sendEvent(ui().Chart1, &drop);
  EXPECT_FALSE(drop.isAccepted());
  ExpectSame(Now(), before);
  EXPECT_EQ(form_->Grid().Cell(1, 1), "1");

  pipe.Finish("7 8\n8 9\n9 11\n");
  WaitByEvents();  // as a user waits: the window's own events apply the outcome
  EXPECT_FALSE(form_->ProgressPanel().isVisible());
  EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
  EXPECT_NE(ui().StringGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
  EXPECT_TRUE(ui().SpeedButton1->isEnabled());
  EXPECT_TRUE(form_->FileMenu().actions()[0]->isEnabled());
  // The load replaced the grid and the points; the quadratic fit never ran.
  EXPECT_EQ(form_->Grid().RowCount(), 4);
  EXPECT_EQ(form_->Grid().Cell(1, 1), "7");
  EXPECT_EQ(form_->Grid().Cell(1, 5), "");
  ASSERT_EQ(form_->Chart().SeriesList().size(), 1u);
  EXPECT_EQ(form_->Chart().SeriesList()[0]->Count(), 3u);
  EXPECT_EQ(ui().Memo1->toPlainText(), QString::fromStdString(before.results));
}

TEST_F(LongWorkTest, ACancelledLoadLeavesTheGridAndChartAsTheyWere) {
  PipeLoad pipe(folder_ / "pipe");
  const Shown before = FitThenStartLoading(pipe);
  QTest::keyClick(ui().StringGrid1, Qt::Key_Escape);
  EXPECT_EQ(form_->ProgressPanel().Caption(), u"Cancelling\u2026"_qs);
  // The pipe sends nothing yet: the read itself hears the cancel.
  WaitByEvents();  // the event loop alone ends the cancelled work
  EXPECT_FALSE(form_->Busy());
  pipe.Finish("7 8\n8 9\n");
  ExpectSame(Now(), before);
  EXPECT_EQ(form_->Grid().RowCount(), 6);
  EXPECT_EQ(form_->Grid().Cell(2, 5), "5");
  EXPECT_TRUE(errors_.empty());
}

TEST_F(LongWorkTest, ClosingTheWindowStopsTheWork) {
  Load(BigFile(200000));
  form_->RunModel(Model::kExponential);
  form_->close();
  EXPECT_FALSE(form_->Busy());
  EXPECT_FALSE(form_->isVisible());
  EXPECT_EQ(ui().Memo1->toPlainText(), u""_qs);
}

}  // namespace
}  // namespace tarvolen
