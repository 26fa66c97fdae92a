#pragma once

// The real window with its error boxes recorded, and a folder of the test's own for data files;
// loads and fits run as the window runs them, and the test waits until they have ended.

#include <QTest>
#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "common/file_test_folder.h"
#include "shell/Unit1.h"
#include "ui_Unit1.h"

namespace tarvolen::testing {

class RecordedErrors : public TDialogs {
 public:
  explicit RecordedErrors(std::vector<std::string>& errors) : errors_(errors) {}
  void ShowError(QWidget*, const QString&, const QString& text) override {
    errors_.push_back(text.toStdString());
  }

 private:
  std::vector<std::string>& errors_;
};

class WindowWorkTest : public FileTestFolder {
 protected:
  void SetUp() override {
    FileTestFolder::SetUp();
    form_ = std::make_unique<TForm1>(std::make_unique<RecordedErrors>(errors_));
    form_->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form_.get()));
  }
  void TearDown() override {
    form_.reset();
    FileTestFolder::TearDown();
  }

  const Ui::TForm1& ui() const { return form_->Form(); }
  // `rows` lines "x y" of a noisy exponential, enough to keep a fit busy for a while.
  std::string BigFile(int rows) {
    std::string text;
    for (int i = 1; i <= rows; ++i) {
      text += std::to_string(i * 1e-4) + ' ' + std::to_string(3 * std::exp(i * 4e-5) + i % 7) +
              '\n';
    }
    return Write("big.txt", text);
  }
  void Load(const std::string& path) {
    form_->OpenFile(QString::fromStdString(path));
    form_->WaitUntilIdle();
  }
  void Fit(Model model) {
    form_->RunModel(model);
    form_->WaitUntilIdle();
  }

  std::vector<std::string> errors_;
  std::unique_ptr<TForm1> form_;
};

}  // namespace tarvolen::testing
