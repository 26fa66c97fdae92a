#pragma once

#include <array>
#include <memory>
#include <optional>
#include <utility>

#include <QMenu>
#include <QPlainTextEdit>
#include <QWidget>

#include "fit/fit.h"
#include "plot/chart_curve.h"
#include "shell/dialogs.h"
#include "shell/help_window.h"
#include "shell/grid_model.h"
#include "shell/skin_resources.h"
#include "shell/skin_widgets.h"

namespace Ui {
class TForm1;
}

namespace tarvolen {

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
// (or to its first error, which the window shows in an error box) before the next event.
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
  // Replots the data points from the grid (after every load, also a cancelled one).
  void PlotDataPoints();

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
  // Runs a command; an error it raises is shown in an error box and the window carries on.
  template <class Body>
  void Command(Body&& body);
  void ShowError(const QString& message);
  // Load Data's work once the file is chosen; no name leaves the grid without data rows.
  void LoadData(const std::optional<QString>& name);
  // Pastes the cells of `text` with their first cell at `at` and selects them; no replot.
  void PasteText(const QString& text, const QModelIndex& at);
  void RefreshViews();
  void BuildMenus();
  void SetUpGrid();
  void SetUpControls();
  void SetUpKeyboard();
  // The row-number column just wide enough for the largest row number.
  void FitRowNumberColumn();
  void WireCommands();
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
  StringGridModel* grid_model_ = nullptr;

  QMenu* file_menu_ = nullptr;
  QMenu* help_menu_ = nullptr;
  QMenu* popup_menu1_ = nullptr;  // chart: Save Figure, Copy Figure
  QMenu* popup_menu2_ = nullptr;  // grid: Load Data, Copy, Paste
  TSkinMenuBarButton* file_button_ = nullptr;
  TSkinMenuBarButton* help_button_ = nullptr;
  THelpWindow* help_window_ = nullptr;

  // The folders the file dialogs last left, for this run.
  QString load_folder_;
  QString result_folder_;
  QString figure_folder_;
};

// The product's home page.
inline constexpr const char* kHomePage = "https://tarvolen.org/";

}  // namespace tarvolen
