// The Statistics and Compare Models commands on the real window: what they show is what the core
// computes for the same data, they copy as text, and they never show figures of another fit.

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/errors.h"
#include "fit/compare.h"
#include "fit/statistics.h"
#include "shell/Unit1.h"
#include "shell/comparison_dialog.h"
#include "shell/grid_model.h"
#include "shell/progress_panel.h"
#include "shell/statistics_dialog.h"
#include "shell/text_table.h"
#include "ui_Unit1.h"
#include "window_work_fixture.h"

namespace tarvolen {
namespace {

// Every row of a table, its cells joined by tabs.
std::vector<std::string> Rows(const TTextTable& table) {
  std::vector<std::string> rows;
  for (int row = 0; row < table.rowCount(); ++row) {
    std::string line;
    for (int col = 0; col < table.columnCount(); ++col) {
      line += (col ? "\t" : "") + table.item(row, col)->text().toStdString();
    }
    rows.push_back(line);
  }
  return rows;
}

std::vector<std::string> StatisticsLines(const FitStatistics& statistics) {
  std::vector<std::string> lines;
  for (const StatisticsRow& row : StatisticsRows(statistics, '.')) {
    lines.push_back(row.label + "\t" + row.value);
  }
  return lines;
}

std::vector<std::string> ComparisonLines(const ModelComparison& comparison) {
  std::vector<std::string> lines;
  for (const ComparisonRow& r : ComparisonRows(comparison, '.')) {
    lines.push_back(r.rank + "\t" + r.model + "\t" + r.aicc + "\t" + r.delta_aicc + "\t" +
                    r.std_error + "\t" + r.r_squared + "\t" + r.note);
  }
  return lines;
}

class StatisticsWindowTest : public testing::WindowWorkTest {
 protected:
  void LoadText(const std::string& text) { Load(Write("data.txt", text)); }
  std::string Memo() const { return ui().Memo1->toPlainText().toStdString(); }
  // The fit the core makes of the window's grid, as a button would run it, and its report.
  FitResult CoreFit(Model model, std::string* report = nullptr) {
    FitFields fields;
    StringResultLines lines;
    FitResult result = RunFit(model, {form_->Grid(), nullptr, fields, lines, '.'});
    if (report) {
      report->clear();
      for (const std::string& line : lines.Lines()) *report += line + "\n";
    }
    return result;
  }
  TStatisticsDialog& OpenStatistics() {
    form_->Statistics1Click();
    EXPECT_NE(form_->StatisticsDialog(), nullptr);
    return *form_->StatisticsDialog();
  }
  TComparisonDialog* Compare() {
    form_->CompareModels1Click();
    form_->WaitUntilIdle();
    return form_->ComparisonDialog();
  }
};

TEST_F(StatisticsWindowTest, StatisticsShowTheFiguresOfTheFitInTheResultsBox) {
  Load(std::string(TARVOLEN_EXAMPLES) + "/enzyme-rate.txt");
  // Opened once by its key, then kept up to date by every fit while it stays open.
  QTest::keyClick(form_.get(), Qt::Key_T, Qt::ControlModifier);
  ASSERT_NE(form_->StatisticsDialog(), nullptr);
  TStatisticsDialog& dialog = *form_->StatisticsDialog();
  EXPECT_TRUE(dialog.isVisible());
  for (int number = 1; number <= kModelCount; ++number) {
    const Model model = static_cast<Model>(number);
    SCOPED_TRACE(ModelName(model));
    Fit(model);
    ASSERT_TRUE(errors_.empty()) << errors_.front();
    EXPECT_EQ(Rows(dialog.Table()), StatisticsLines(ComputeStatistics(CoreFit(model))));
    EXPECT_TRUE(dialog.Table().isVisibleTo(&dialog));
  }
}

// Whatever happened last, the window shows the statistics of the report in the results box or
// says why there are none; a cancelled fit changes neither.
TEST_F(StatisticsWindowTest, StatisticsNeverOutliveTheirFit) {
  TStatisticsDialog& dialog = OpenStatistics();
  EXPECT_TRUE(dialog.Heading().startsWith(u"No statistics yet"_qs));
  EXPECT_FALSE(dialog.Table().isVisibleTo(&dialog));
  EXPECT_FALSE(dialog.CopyAllButton().isEnabled());

  LoadText("1 2\n2 4.1\n3 5.9\n4 8.2\n5 9.9\n");
  EXPECT_TRUE(dialog.Heading().startsWith(u"No statistics yet"_qs));
  Fit(Model::kLinear);
  EXPECT_EQ(dialog.Heading(), u"The Linear model's fit in the results box, on 5 data rows:"_qs);
  const std::vector<std::string> linear = Rows(dialog.Table());
  ASSERT_FALSE(linear.empty());

  StringGridModel& grid = *static_cast<StringGridModel*>(ui().StringGrid1->model());
  // An editor closed without a change changes no data.
  grid.setData(grid.index(2, 1), u"5.9"_qs, Qt::EditRole);
  EXPECT_EQ(Rows(dialog.Table()), linear);
  struct Step {
    const char* what;
    std::function<void()> change;
  };
  const Step changes[] = {
      {"a typed cell", [&] { grid.setData(grid.index(2, 1), u"6.1"_qs, Qt::EditRole); }},
      {"Delete", [&] {
         QTableView& view = *ui().StringGrid1;
         view.setCurrentIndex(grid.index(4, 0));
         view.selectionModel()->select(QItemSelection(grid.index(4, 0), grid.index(4, 1)),
                                       QItemSelectionModel::ClearAndSelect);
         QTest::keyClick(ui().StringGrid1, Qt::Key_Delete);
       }},
      {"a paste", [&] {
         QGuiApplication::clipboard()->setText(u"5\t10"_qs);
         ui().StringGrid1->setCurrentIndex(grid.index(4, 0));
         form_->PasteCells();
       }},
      {"Exchange", [&] { form_->Button1Click(); }},
      {"a load", [&] { LoadText("1 2\n2 4\n3 6.5\n4 7.5\n"); }},
  };
  for (const Step& step : changes) {
    SCOPED_TRACE(step.what);
    Fit(Model::kLinear);
    ASSERT_TRUE(dialog.Table().isVisibleTo(&dialog));
    step.change();
    EXPECT_TRUE(dialog.Heading().contains(u"the data changed since the last fit"_qs));
    EXPECT_FALSE(dialog.Table().isVisibleTo(&dialog));
    EXPECT_EQ(dialog.Table().rowCount(), 0);
    // Closed and opened again, it says the same.
    dialog.close();
    EXPECT_EQ(&OpenStatistics(), &dialog);
    EXPECT_TRUE(dialog.Heading().contains(u"the data changed since the last fit"_qs));
  }

  // A fit that fails empties the results box and leaves no statistics.
  LoadText("0 1\n1 2\n2 4\n3 8\n");
  Fit(Model::kLinear);
  Fit(Model::kLogarithmic);
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(Memo(), "");
  EXPECT_TRUE(dialog.Heading().contains(u"the last fit ended with an error"_qs));
  EXPECT_EQ(dialog.Table().rowCount(), 0);

  // A cancelled fit leaves the report and its statistics as they were.
  Load(BigFile(200000));
  Fit(Model::kLinear);
  const std::string report = Memo();
  const std::vector<std::string> before = Rows(dialog.Table());
  form_->RunModel(Model::kExponential);
  form_->CancelWork();
  form_->WaitUntilIdle();
  EXPECT_EQ(Memo(), report);
  EXPECT_EQ(Rows(dialog.Table()), before);
  EXPECT_EQ(before, StatisticsLines(ComputeStatistics(CoreFit(Model::kLinear))));
}

TEST_F(StatisticsWindowTest, TablesCopyAsTabSeparatedLines) {
  Load(std::string(TARVOLEN_EXAMPLES) + "/growth.txt");
  Fit(Model::kQuadratic);
  TTextTable& table = OpenStatistics().Table();
  const std::vector<std::string> rows = Rows(table);
  ASSERT_GE(rows.size(), 3u);
  QClipboard& clipboard = *QGuiApplication::clipboard();

  // The active window, as it is for a user at the keyboard.
  QWidget* dialog = form_->StatisticsDialog();
  for (int i = 0; i < 100 && QApplication::activeWindow() != dialog; ++i) {
    dialog->activateWindow();
    QTest::qWait(10);
  }
  ASSERT_EQ(QApplication::activeWindow(), dialog);
  table.setFocus();

  // Ctrl+C takes the selected cells, a line per row; a single column copies alone.
  table.clearSelection();
  table.setRangeSelected(QTableWidgetSelectionRange(1, 0, 2, 1), true);
  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard.text().toStdString(), rows[1] + "\n" + rows[2] + "\n");
  table.clearSelection();
  table.setRangeSelected(QTableWidgetSelectionRange(0, 1, 1, 1), true);
  QTest::keyClick(&table, Qt::Key_C, Qt::ControlModifier);
  EXPECT_EQ(clipboard.text(), table.item(0, 1)->text() + u'\n' + table.item(1, 1)->text() + u'\n');

  // Copy All: the titles, then every row.
  form_->StatisticsDialog()->CopyAllButton().click();
  std::string all = "Figure\tValue\n";
  for (const std::string& row : rows) all += row + "\n";
  EXPECT_EQ(clipboard.text().toStdString(), all);

  // A cell's own tab or line end would split it: it is copied as a space.
  table.SetRows({u"A"_qs, u"B"_qs}, {{u"1\t2"_qs, u"x\ny"_qs}});
  table.CopyAll();
  EXPECT_EQ(clipboard.text(), u"A\tB\n1 2\tx y\n"_qs);
}

TEST_F(StatisticsWindowTest, CompareModelsRanksWhatTheCoreRanksAndRunsTheChosenModel) {
  Load(std::string(TARVOLEN_EXAMPLES) + "/growth.txt");
  Fit(Model::kLinear);
  const std::string linear_report = Memo();
  QTest::keyClick(form_.get(), Qt::Key_M, Qt::ControlModifier);
  form_->WaitUntilIdle();
  QPointer<TComparisonDialog> dialog = form_->ComparisonDialog();
  ASSERT_NE(dialog, nullptr);
  EXPECT_TRUE(dialog->isVisible());
  EXPECT_EQ(dialog->windowModality(), Qt::WindowModal);
  EXPECT_EQ(Rows(dialog->Table()), ComparisonLines(CompareModels(form_->Grid(), '.')));
  // The comparison changes nothing in the window.
  EXPECT_EQ(Memo(), linear_report);
  EXPECT_TRUE(dialog->Heading().contains(u"the 5 data rows"_qs));
  // The best model is current: Enter fits it.
  const std::string best = dialog->Table().item(0, 1)->text().toStdString();
  EXPECT_TRUE(best == "exponential" || best == "compound") << best;
  QTest::keyClick(&dialog->Table(), Qt::Key_Return);
  form_->WaitUntilIdle();
  EXPECT_FALSE(dialog && dialog->isVisible());
  std::string report;
  CoreFit(*ParseModel(best), &report);
  EXPECT_EQ(Memo(), report);

  // A double-click on another row fits that model, and so does the button.
  const struct {
    int row;
    bool by_button;
  } choices[] = {{6, false}, {3, true}};
  for (const auto& choice : choices) {
    dialog = Compare();
    ASSERT_NE(dialog, nullptr);
    TTextTable& table = dialog->Table();
    const Model model = *ParseModel(table.item(choice.row, 1)->text().toStdString());
    SCOPED_TRACE(ModelName(model));
    if (choice.by_button) {
      table.setCurrentCell(choice.row, 0);
      dialog->FitButton().click();
    } else {
      table.scrollToItem(table.item(choice.row, 1));
      const QRect cell = table.visualItemRect(table.item(choice.row, 1));
      // A double-click as the mouse makes it: a click, then the second press.
      QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, cell.center());
      QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, cell.center());
    }
    form_->WaitUntilIdle();
    EXPECT_FALSE(dialog && dialog->isVisible());
    CoreFit(model, &report);
    EXPECT_EQ(Memo(), report);
    EXPECT_TRUE(errors_.empty());
  }
}

TEST_F(StatisticsWindowTest, CompareModelsListsFailedModelsAndChoosingOneFailsAsItsButtonDoes) {
  LoadText("0 1.1\n1 2.0\n2 4.2\n3 7.9\n4 16.3\n5 31.8\n");
  TComparisonDialog* dialog = Compare();
  ASSERT_NE(dialog, nullptr);
  const ModelComparison core = CompareModels(form_->Grid(), '.');
  EXPECT_EQ(Rows(dialog->Table()), ComparisonLines(core));
  int failed_row = -1;
  for (int row = 0; row < dialog->Table().rowCount(); ++row) {
    if (dialog->Table().item(row, 1)->text() == u"logarithmic"_qs) failed_row = row;
  }
  ASSERT_GE(failed_row, 0);
  const ComparedModel& logarithmic = core.models[static_cast<std::size_t>(failed_row)];
  ASSERT_FALSE(logarithmic.Fitted());
  EXPECT_EQ(dialog->Table().item(failed_row, 0)->text(), u""_qs);
  EXPECT_EQ(dialog->Table().item(failed_row, 6)->text().toStdString(),
            ErrorBoxText(logarithmic.error));

  dialog->Table().setCurrentCell(failed_row, 1);
  dialog->FitButton().click();
  form_->WaitUntilIdle();
  ASSERT_EQ(errors_.size(), 1u);
  EXPECT_EQ(errors_[0], ErrorBoxText(logarithmic.error));
  EXPECT_EQ(Memo(), "");
}

TEST_F(StatisticsWindowTest, ACancelledComparisonLeavesEverythingAsItWas) {
  Load(BigFile(200000));
  Fit(Model::kLinear);
  const std::string report = Memo();
  const std::vector<std::string> statistics = Rows(OpenStatistics().Table());
  form_->StatisticsDialog()->close();
  form_->CompareModels1Click();
  ASSERT_TRUE(form_->Busy());
  EXPECT_EQ(form_->ProgressPanel().Caption(), u"Comparing the ten models\u2026"_qs);
  QTest::keyClick(form_.get(), Qt::Key_Escape);
  form_->WaitUntilIdle();
  EXPECT_EQ(form_->ComparisonDialog(), nullptr);
  EXPECT_EQ(Memo(), report);
  EXPECT_EQ(Rows(OpenStatistics().Table()), statistics);
  EXPECT_TRUE(errors_.empty());
}

}  // namespace
}  // namespace tarvolen
