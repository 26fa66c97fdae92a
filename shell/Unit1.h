#pragma once

#include <array>
#include <exception>
#include <functional>
#include <memory>
#include <optional>
#include <utility>

#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QWidget>

#include "fit/fit.h"
#include "fit/statistics.h"
#include "plot/chart_curve.h"
#include "shell/dialogs.h"
#include "shell/help_window.h"
#include "shell/grid_model.h"
#include "shell/skin_resources.h"
#include "shell/skin_widgets.h"

class QShortcut;
class QTimer;

namespace Ui {
class TForm1;
}

namespace tarvolen {

class TBackgroundWork;
class TComparisonDialog;
class TProgressPanel;
class TStatisticsDialog;
class TSkinMenuBarButton;

// The results box `Memo1` as the fits write it: every line added ends with a line end.
class MemoLines : public ResultLines {
 public:
  explicit MemoLines(QPlainTextEdit& memo) : memo_(memo) {}
  void Clear() override;
  void Add(const std::string& line) override;

 private:
  QPlainTextEdit& memo_;
};

// The main window: the data grid, the ten model buttons, the chart, the results box, the two
// tool bars with the File and Help menus, and the skinned frame. Every command runs to its end
// (or to its first error, which the window shows in an error box) before the next command.
//
// Loads and fits run off the window's thread (shell/background_work.h), on copies of the grid's
// texts; their outcome is applied when they end, exactly as it would have been had they run on
// the window's thread. Meanwhile the window keeps painting and shows a busy cursor; after half a
// second a progress bar with a Cancel button (Esc) appears and the commands show disabled. Other
// commands wait: they do nothing while the work runs, and the grid takes no typing. A cancelled
// command leaves the grid, chart and results as they were before it.
class TForm1 : public QWidget {
  Q_OBJECT

 public:
  // `dialogs` answers the window's questions; null uses the real dialogs.
  explicit TForm1(std::unique_ptr<TDialogs> dialogs = nullptr, QWidget* parent = nullptr);
  ~TForm1() override;

  // The application's title, the product's name "Tarvolen": it captions the error boxes.
  static QString ApplicationTitle();

  // The core state behind the widgets.
  GridTable& Grid() { return grid_; }
  TChart& Chart() { return chart_; }
  const FitFields& Fields() const { return fields_; }
  // The current fitted curve (`CurveSeries`), owned by the chart; null before the first fit.
  TLineSeries* CurveSeries() const { return curve_.Series(); }
  const Ui::TForm1& Form() const { return *ui_; }
  QMenu& FileMenu() { return *file_menu_; }
  QMenu& HelpMenu() { return *help_menu_; }
  QMenu& ChartPopupMenu() { return *popup_menu1_; }
  QMenu& GridPopupMenu() { return *popup_menu2_; }
  TSkinMenuBarButton& FileButton() { return *file_button_; }
  TSkinMenuBarButton& HelpButton() { return *help_button_; }
  // The window showing the HTML manual, once Manual has opened it there.
  THelpWindow* HelpWindow() const { return help_window_; }
  // Statistics' window, once the command has opened it.
  TStatisticsDialog* StatisticsDialog() const { return statistics_dialog_; }
  // Compare Models' window while it is open.
  TComparisonDialog* ComparisonDialog() const;

  // The commands, as every control that reaches them calls them.
  void Open1Click();        // Load Data
  // Loads the data file `name` as Load Data does with the name its dialog returns (the program
  // started with a file to open): its errors show in the error box.
  void OpenFile(const QString& name);
  void SaveData1Click();    // Save Data
  void SaveResult1Click();  // Save Result
  void Save1Click();        // Save Figure
  void Copy1Click();        // Copy Figure
  void Manual1Click();
  void Phase1Click();  // HomePage
  void Exit1Click();
  void Button1Click();  // Exchange( X,Y)
  // The grid's Copy and Paste: the selected cells to the clipboard as tab-separated lines, and
  // the clipboard's cells into the grid from the current cell on, then the points replotted.
  void CopyCells();
  void PasteCells();
  // Loads the first of dropped files as Load Data would; a note says when others were left out.
  void DropFiles(const QStringList& files, const QPoint& global_pos);
  void RunModel(Model model);
  // Statistics: a window of its own with the figures of the fit whose report is in the results
  // box, kept up to date while it is open; it says why there are none before the first fit,
  // after a fit that failed and once the data have changed since the fit.
  void Statistics1Click();
  // Compare Models: all ten models fitted to the grid off the window's thread, as a fit runs,
  // then shown ranked in a window of their own; choosing a model there runs it as its button
  // would. Cancelled, it leaves everything as it was.
  void CompareModels1Click();
  // Replots the data points from the grid on the window's thread (after a paste or an
  // exchange; a load plots its points off the thread).
  void PlotDataPoints();

  // Whether a load or a fit is running off the window's thread.
  bool Busy() const;
  // Waits until the running load or fit has ended and its outcome is shown.
  void WaitUntilIdle();
  // Stops the running load or fit (as Cancel and Esc do): the window stays as it was before.
  void CancelWork();
  // The progress bar with its Cancel button.
  TProgressPanel& ProgressPanel() { return *progress_panel_; }

  // The frame: built on creation and on every real size change; size changes are refused.
  void FormCreate();
  void FormResize();

 protected:
  void resizeEvent(QResizeEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  // Left and Right in an open File or Help menu move to the other one, as in a menu bar; files
  // dropped on any of the window's widgets go to DropFiles.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  // Runs a command, unless a load or a fit is still running; an error it raises is shown in an
  // error box and the window carries on.
  template <class Body>
  void Command(Body&& body);
  // Runs `body`, refreshes the views and shows the error it raised, if any.
  template <class Body>
  void ShowOutcome(Body&& body);
  // Runs `work` off the window's thread, the progress panel naming it `caption`; `apply` then
  // shows its outcome (and rethrows `error`, the error that ended the work, if any) unless the
  // work was cancelled.
  void RunInBackground(const QString& caption, std::function<void(ProgressObserver&)> work,
                       std::function<void(std::exception_ptr error)> apply);
  void WorkStarted();
  void WorkEnded();
  // Disables (or enables again) the commands that must wait for the running work.
  void EnableCommands(bool enabled);
  void ShowError(const QString& message);
  // Load Data's work once the file is chosen; no name leaves the grid without data rows.
  void LoadData(const std::optional<QString>& name);
  // Pastes the cells of `text` with their first cell at `at` and selects them; no replot.
  void PasteText(const QString& text, const QModelIndex& at);
  void RefreshViews();
  // The data rows were written: the statistics of the last fit no longer hold.
  void DataChanged();
  // The statistics window, if open, shows what there is to show now.
  void RefreshStatistics();
  void BuildMenus();
  void SetUpGrid();
  void SetUpControls();
  void SetUpKeyboard();
  // The row-number column just wide enough for the largest row number.
  void FitRowNumberColumn();
  void WireCommands();
  void SetUpBackgroundWork();
  void PlaceCaptionButtons();
  // Manual: the compiled manual where a viewer is set up for it, else the HTML pages in the
  // browser or in the help window; an error when none of them can be shown.
  void OpenManual();
  void OpenHomePage();
  // Where Load Data's dialog starts: the folder of the last file loaded; the first time the
  // installed examples, else the home folder.
  QString LoadFolder() const;
  // Where a save dialog starts: the folder of its own last save; the first time the folder of
  // the last file loaded if it may be written, else the home folder.
  QString SaveFolder(const QString& last_saved) const;
  // The ten model buttons and their models, in the window's order.
  std::array<std::pair<class QToolButton*, Model>, kModelCount> ModelButtons() const;
  char DecimalSeparator() const { return format_.decimal_separator; }

  std::unique_ptr<Ui::TForm1> ui_;
  std::unique_ptr<TDialogs> dialogs_;
  FormatSettings format_;
  TSkinPictures skin_;
  TSkinMenuStyle menu_style_;  // outlives the menus below

  GridTable grid_;
  TChart chart_;
  ChartCurve curve_{chart_};
  FitFields fields_;
  std::unique_ptr<MemoLines> memo_lines_;
  // The statistics of the fit whose report is in the results box, or why there are none.
  enum class StatisticsState { kNoFit, kFitted, kFitFailed, kDataChanged };
  StatisticsState statistics_state_ = StatisticsState::kNoFit;
  std::optional<FitStatistics> statistics_;
  StringGridModel* grid_model_ = nullptr;

  TBackgroundWork* work_ = nullptr;
  TProgressPanel* progress_panel_ = nullptr;
  QTimer* progress_delay_ = nullptr;
  QShortcut* cancel_key_ = nullptr;

  QMenu* file_menu_ = nullptr;
  QMenu* help_menu_ = nullptr;
  QMenu* popup_menu1_ = nullptr;  // chart: Save Figure, Copy Figure
  QMenu* popup_menu2_ = nullptr;  // grid: Load Data, Copy, Paste
  TSkinMenuBarButton* file_button_ = nullptr;
  TSkinMenuBarButton* help_button_ = nullptr;
  THelpWindow* help_window_ = nullptr;
  TStatisticsDialog* statistics_dialog_ = nullptr;
  QPointer<TComparisonDialog> comparison_dialog_;

  // The folders the file dialogs last left, for this run.
  QString load_folder_;
  QString result_folder_;
  QString figure_folder_;
};

// The product's home page.
inline constexpr const char* kHomePage = "https://tarvolen.org/";

}  // namespace tarvolen
