#include "shell/Unit1.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLocale>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QShortcut>
#include <QTextCursor>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <new>
#include <optional>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/installation.h"
#include "data/cell_block.h"
#include "data/data_file.h"
#include "data/data_save.h"
#include "fit/causes.h"
#include "plot/bitmap.h"
#include "plot/data_plot.h"
#include "render/painter_canvas.h"
#include "render/picture_files.h"
#include "shell/background_work.h"
#include "shell/comparison_dialog.h"
#include "shell/data_transfer.h"
#include "shell/progress_panel.h"
#include "shell/skin_frame.h"
#include "shell/skin_painting.h"
#include "shell/statistics_dialog.h"
#include "shell/window_work.h"
#include "ui_Unit1.h"

namespace tarvolen {
namespace {

constexpr int kWindowWidth = 796;
constexpr int kWindowHeight = 613;

// The dialogs' filter strings.
const QString kOpenFilter =
    u"All Files(*.*)|*.*|TXT file(*.txt)|*.txt|Data file(*.dat)|*.dat|CSV file(*.csv)|*.csv"_qs;
const QString kDataFilter = u"TXT file(*.txt)|*.txt|CSV file(*.csv)|*.csv"_qs;
const QString kResultFilter = u"TXT file(*.txt)|*.txt"_qs;
const QString kPictureFilter = u"bmp(*.bmp)|*.bmp|png(*.png)|*.png|svg(*.svg)|*.svg"_qs;

// A file name as the core's file functions take it: the file system's bytes.
std::string FileNameBytes(const QString& name) { return QFile::encodeName(name).toStdString(); }

// The locale's separators. The core takes single ASCII characters: a decimal separator that is
// none stays ".", a group separator that is none (the narrow or no-break space of many locales)
// becomes a plain space, as does one equal to the decimal separator.
FormatSettings SystemFormat() {
  FormatSettings format;
  const QLocale locale = QLocale::system();
  auto ascii = [](const QString& text) -> std::optional<char> {
    if (text.size() == 1 && text[0].unicode() > 32 && text[0].unicode() < 127) {
      return static_cast<char>(text[0].unicode());
    }
    return std::nullopt;
  };
  format.decimal_separator = ascii(locale.decimalPoint()).value_or('.');
  const char group = ascii(locale.groupSeparator()).value_or(' ');
  format.thousand_separator = group == format.decimal_separator ? ' ' : group;
  return format;
}

// A colour of ours, system colours resolved to their fixed values.
QColor ToColor(TColor color) { return render::ToQColor(ResolveColor(color)); }

// How the grid's cells start their in-place editor.
constexpr QAbstractItemView::EditTriggers kGridEditTriggers =
    QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
    QAbstractItemView::AnyKeyPressed | QAbstractItemView::SelectedClicked;

// Work shorter than this shows only the busy cursor: a bar that flashes up is no help.
constexpr int kProgressDelayMs = 500;
// The keys of the commands.
const QKeySequence kLoadDataKey(Qt::CTRL | Qt::Key_O);
const QKeySequence kSaveResultKey(Qt::CTRL | Qt::Key_S);
const QKeySequence kSaveFigureKey(Qt::CTRL | Qt::Key_E);
const QKeySequence kExitKey(Qt::CTRL | Qt::Key_Q);
const QKeySequence kStatisticsKey(Qt::CTRL | Qt::Key_T);
const QKeySequence kCompareModelsKey(Qt::CTRL | Qt::Key_M);
const QKeySequence kSaveDataKey(Qt::CTRL | Qt::SHIFT | Qt::Key_S);
const QKeySequence kManualKey(Qt::Key_F1);
const QKeySequence kHomePageKey(Qt::SHIFT | Qt::Key_F1);

// "Load Data (Ctrl+O)": a tool tip that names its key.
QString WithKey(const QString& text, const QKeySequence& key) {
  return text + u" ("_qs + key.toString(QKeySequence::NativeText) + u')';
}

// The MIME types whose registered programs open the manual and the home page.
const QString kChmType = u"application/vnd.ms-htmlhelp"_qs;
const QString kHtmlType = u"text/html"_qs;

QUrl LocalUrl(const std::string& path) {
  return QUrl::fromLocalFile(QFile::decodeName(path.c_str()));
}
QString Quoted(const std::string& path) {
  return u'"' + QFile::decodeName(path.c_str()) + u'"';
}

// Keeps the folder of the chosen file `name` in `folder`, when that folder exists.
void RememberFolder(QString& folder, const QString& name) {
  const QDir chosen = QFileInfo(name).absoluteDir();
  if (chosen.exists()) folder = chosen.absolutePath();
}

}  // namespace

void MemoLines::Clear() { memo_.clear(); }

void MemoLines::Add(const std::string& line) {
  QTextCursor cursor(memo_.document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QString::fromStdString(line) + u'\n');
}

QString TForm1::ApplicationTitle() { return u"Tarvolen"_qs; }

TForm1::TForm1(std::unique_ptr<TDialogs> dialogs, QWidget* parent)
    : QWidget(parent),
      ui_(std::make_unique<Ui::TForm1>()),
      dialogs_(dialogs ? std::move(dialogs) : std::make_unique<TDialogs>()),
      format_(SystemFormat()) {
  InitSkinResources();
  skin_ = LoadSkinPictures();
  ui_->setupUi(this);
  setWindowTitle(u"Tarvolen "_qs + QLatin1String(ProgramVersion()));
  setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
  setWindowIcon(ApplicationIcon());
  // Every size change is refused: the window keeps its size for the whole run.
  setFixedSize(kWindowWidth, kWindowHeight);
  move(229, 102);

  memo_lines_ = std::make_unique<MemoLines>(*ui_->Memo1);
  ConfigureChart1(chart_);
  chart_.SetLabelFormat(format_);
  ui_->Chart1->SetChart(&chart_);

  SetUpControls();
  BuildMenus();
  SetUpGrid();
  WireCommands();
  SetUpKeyboard();
  SetUpBackgroundWork();
  FormCreate();
  RefreshViews();
  setAcceptDrops(true);
  // Drops on children that take drops of their own, and keys in the open menus.
  qApp->installEventFilter(this);
}

TForm1::~TForm1() {
  qApp->removeEventFilter(this);
  // The child widgets use the members (the chart, the grid table, the menu style): they go
  // first, before the members do.
  qDeleteAll(findChildren<QObject*>(Qt::FindDirectChildrenOnly));
}

std::array<std::pair<QToolButton*, Model>, kModelCount> TForm1::ModelButtons() const {
  return {{{ui_->SpeedButton1, Model::kLinear},       {ui_->SpeedButton2, Model::kQuadratic},
           {ui_->SpeedButton9, Model::kCompound},     {ui_->SpeedButton10, Model::kLogarithmic},
           {ui_->SpeedButton11, Model::kExponential}, {ui_->SpeedButton12, Model::kPower},
           {ui_->SpeedButton15, Model::kGeometric},   {ui_->SpeedButton16, Model::kGeometric2},
           {ui_->SpeedButton13, Model::kInverse},     {ui_->SpeedButton14, Model::kHyperbola}}};
}

void TForm1::SetUpControls() {
  QFont form_font(u"Liberation Sans"_qs);
  form_font.setPixelSize(11);
  setFont(form_font);
  QPalette form_palette = palette();
  form_palette.setColor(QPalette::Window, ToColor(clBtnFace));
  setPalette(form_palette);

  // Model labels: Arial 16 pixels, bold italic, maroon, over the panel's picture.
  QFont label_font(u"Arial"_qs);
  label_font.setPixelSize(16);
  label_font.setBold(true);
  label_font.setItalic(true);
  const QList<QLabel*> labels = {ui_->Label1, ui_->Label2, ui_->Label3, ui_->Label4,
                                 ui_->Label5, ui_->Label6, ui_->Label7, ui_->Label8,
                                 ui_->Label9, ui_->Label10};
  for (QLabel* label : labels) {
    label->setFont(label_font);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, ToColor(clMaroon));
    label->setPalette(p);
    // The labels size themselves to their text: the stored widths are what the text measured
    // where the window was laid out, and this font's advances may be a pixel or two wider.
    label->resize(std::max(label->width(), label->sizeHint().width()), label->height());
  }

  // Model buttons: raised, each showing its equation.
  for (const auto& [button, model] : ModelButtons()) {
    const QPixmap picture(EquationPicturePath(model));
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
    button->setAutoRaise(false);
    button->setFocusPolicy(Qt::TabFocus);  // Tab reaches it; a click leaves the focus in place
  }

  // The command tool bar: Arial 11 pixels, teal captions under 32 x 32 pictures.
  QFont tool_font(u"Arial"_qs);
  tool_font.setPixelSize(11);
  const std::pair<QToolButton*, ToolPicture> tools[] = {
      {ui_->SpeedButton3, ToolPicture::kLoadData}, {ui_->SpeedButton4, ToolPicture::kSaveResult},
      {ui_->SpeedButton5, ToolPicture::kSaveFigure}, {ui_->SpeedButton6, ToolPicture::kManual},
      {ui_->SpeedButton7, ToolPicture::kHome}};
  for (const auto& [button, picture_id] : tools) {
    const QPixmap picture(ToolPicturePath(picture_id));
    button->setIcon(QIcon(picture));
    button->setIconSize(picture.size());
    button->setFont(tool_font);
    button->setFocusPolicy(Qt::TabFocus);
    QPalette p = button->palette();
    p.setColor(QPalette::ButtonText, ToColor(clTeal));
    button->setPalette(p);
  }
  ui_->ToolBar2->OnCustomDraw = [this](QPainter& canvas, const QRect& rect) {
    ToolBar2CustomDraw(canvas, rect, skin_.ImageTool);
  };
  ui_->ToolBar1->OnCustomDraw = [this](QPainter& canvas, const QRect& rect) {
    ToolBar1CustomDraw(canvas, rect, skin_.ImageMenu);
  };

  // Frame and panel pictures.
  ui_->Image4->SetStretch(true);
  ui_->Image4->SetPicture(TPicture(skin_.Image4));
  ui_->Image9->SetStretch(true);
  ui_->Image9->SetPicture(TPicture(skin_.Image9));
  ui_->Image10->SetStretch(true);
  ui_->Image10->SetPicture(TPicture(skin_.Image10));

  ui_->Memo1->setFrameShape(QFrame::Box);
  ui_->Chart1->setFocusPolicy(Qt::ClickFocus);
}

void TForm1::BuildMenus() {
  auto picture = [this](int index) {
    return QIcon(QPixmap::fromImage(skin_.ImageListMenu.at(static_cast<std::size_t>(index))));
  };
  file_menu_ = new QMenu(this);
  file_menu_->setStyle(&menu_style_);
  file_menu_->addAction(picture(kMenuPictureLoadData), u"Load Data"_qs, this,
                        [this] { Open1Click(); })
      ->setObjectName(u"Open1"_qs);
  file_menu_->addAction(u"Save Data"_qs, this, [this] { SaveData1Click(); })
      ->setObjectName(u"SaveData1"_qs);
  file_menu_->addAction(picture(kMenuPictureSaveResult), u"Save Result"_qs, this,
                        [this] { SaveResult1Click(); })
      ->setObjectName(u"SaveResult1"_qs);
  file_menu_->addAction(picture(kMenuPictureSaveFigure), u"Save Figure"_qs, this,
                        [this] { Save1Click(); })
      ->setObjectName(u"SaveFigure1"_qs);
  file_menu_->addSeparator();
  file_menu_->addAction(u"Statistics"_qs, this, [this] { Statistics1Click(); })
      ->setObjectName(u"Statistics1"_qs);
  file_menu_->addAction(u"Compare Models"_qs, this, [this] { CompareModels1Click(); })
      ->setObjectName(u"CompareModels1"_qs);
  file_menu_->addSeparator();
  file_menu_->addAction(u"Exit"_qs, this, [this] { Exit1Click(); })->setObjectName(u"Exit1"_qs);

  help_menu_ = new QMenu(this);
  help_menu_->setStyle(&menu_style_);
  help_menu_->addAction(u"Manual"_qs, this, [this] { Manual1Click(); })
      ->setObjectName(u"Manual1"_qs);
  help_menu_->addSeparator();
  help_menu_->addAction(u"HomePage"_qs, this, [this] { Phase1Click(); })
      ->setObjectName(u"HomePage1"_qs);

  popup_menu1_ = new QMenu(this);
  popup_menu1_->setStyle(&menu_style_);
  popup_menu1_->addAction(u"Save Figure"_qs, this, [this] { Save1Click(); })
      ->setObjectName(u"Save1"_qs);
  popup_menu1_->addAction(u"Copy Figure"_qs, this, [this] { Copy1Click(); })
      ->setObjectName(u"Copy1"_qs);
  ui_->Chart1->SetPopupMenu(popup_menu1_);

  popup_menu2_ = new QMenu(this);
  popup_menu2_->setStyle(&menu_style_);
  popup_menu2_->addAction(u"Load Data"_qs, this, [this] { Open1Click(); })
      ->setObjectName(u"LoadData1"_qs);
  popup_menu2_->addSeparator();
  const std::pair<QString, QKeySequence::StandardKey> clipboard_items[] = {
      {u"Copy"_qs, QKeySequence::Copy}, {u"Paste"_qs, QKeySequence::Paste}};
  for (const auto& [caption, keys] : clipboard_items) {
    QAction* item = popup_menu2_->addAction(caption, this, [this, keys = keys] {
      keys == QKeySequence::Copy ? CopyCells() : PasteCells();
    });
    item->setObjectName(caption + u"Cells1"_qs);
    item->setShortcut(keys);
    item->setShortcutContext(Qt::WidgetWithChildrenShortcut);  // the grid's keys
    ui_->StringGrid1->addAction(item);
  }

  file_button_ = new TSkinMenuBarButton(u"File"_qs, skin_.ImageMenu, ui_->ToolBar1);
  file_button_->setGeometry(0, 0, 65, 28);
  file_button_->SetDropDownMenu(file_menu_);
  help_button_ = new TSkinMenuBarButton(u"Help"_qs, skin_.ImageMenu, ui_->ToolBar1);
  help_button_->setGeometry(65, 0, 65, 28);
  help_button_->SetDropDownMenu(help_menu_);
}

void TForm1::SetUpKeyboard() {
  // The command keys, shown in the menus; the File and Help menus' actions act from anywhere in
  // the window, the pop-up menus' twins only show the same key.
  const std::pair<const char*, QKeySequence> keys[] = {
      {"Open1", kLoadDataKey}, {"SaveResult1", kSaveResultKey}, {"SaveFigure1", kSaveFigureKey},
      {"Exit1", kExitKey},     {"Manual1", kManualKey},         {"HomePage1", kHomePageKey},
      {"Save1", kSaveFigureKey}, {"LoadData1", kLoadDataKey},
      {"Statistics1", kStatisticsKey}, {"CompareModels1", kCompareModelsKey},
      {"SaveData1", kSaveDataKey}};
  for (const auto& [name, key] : keys) {
    QAction* action = findChild<QAction*>(QLatin1String(name));
    action->setShortcut(key);
    if (action->parent() == file_menu_ || action->parent() == help_menu_) addAction(action);
  }
  const std::pair<QToolButton*, QKeySequence> tools[] = {
      {ui_->SpeedButton3, kLoadDataKey}, {ui_->SpeedButton4, kSaveResultKey},
      {ui_->SpeedButton5, kSaveFigureKey}, {ui_->SpeedButton6, kManualKey},
      {ui_->SpeedButton7, kHomePageKey}};
  for (const auto& [button, key] : tools) button->setToolTip(WithKey(button->toolTip(), key));

  // Ctrl+1 to Ctrl+9 and Ctrl+0 fit the ten models in the window's order. The keys act through
  // actions of the window, so the focus (and an open cell editor) stays where it is.
  int number = 0;
  for (const auto& [button, model] : ModelButtons()) {
    const QKeySequence key(Qt::CTRL | (Qt::Key_0 + (++number % 10)));
    const QString name = QString::fromStdString(fit::ModelTitle(model));
    button->setToolTip(WithKey(name, key));
    auto* action = new QAction(name, this);
    action->setShortcut(key);
    connect(action, &QAction::triggered, this, [this, model = model] { RunModel(model); });
    addAction(action);
  }

  // Alt+F and F10 open the File menu, Alt+H the Help menu; the menu bar itself takes no focus.
  // (Left and Right between the open menus: eventFilter, which sees every event of the program.)
  for (TSkinMenuBarButton* button : {file_button_, help_button_}) {
    button->setFocusPolicy(Qt::NoFocus);
  }
  const std::pair<QKeySequence, TSkinMenuBarButton*> menu_keys[] = {
      {QKeySequence(Qt::ALT | Qt::Key_F), file_button_},
      {QKeySequence(Qt::Key_F10), file_button_},
      {QKeySequence(Qt::ALT | Qt::Key_H), help_button_}};
  for (const auto& [key, button] : menu_keys) {
    new QShortcut(key, this, button, &QToolButton::showMenu);
  }

  // Tab runs from the grid over Exchange, the model buttons and the results box to the tool
  // buttons; inside the grid it moves from cell to cell (Ctrl+Tab leaves it).
  ui_->Memo1->setTabChangesFocus(true);
  ui_->Button1->setFocusPolicy(Qt::TabFocus);
  QList<QWidget*> order = {ui_->StringGrid1, ui_->Button1};
  for (const auto& [button, model] : ModelButtons()) order << button;
  order << ui_->Memo1;
  for (const auto& [button, key] : tools) order << button;
  for (qsizetype i = 0; i + 1 < order.size(); ++i) setTabOrder(order[i], order[i + 1]);
  ui_->StringGrid1->setFocus();
}

void TForm1::SetUpGrid() {
  QTableView& view = *ui_->StringGrid1;
  grid_model_ = new StringGridModel(grid_, this);
  view.setModel(grid_model_);
  connect(grid_model_, &StringGridModel::CellsEdited, this, [this] { DataChanged(); });
  view.setSelectionMode(QAbstractItemView::ContiguousSelection);
  view.setSelectionBehavior(QAbstractItemView::SelectItems);
  view.setEditTriggers(kGridEditTriggers);
  view.setTabKeyNavigation(true);
  view.setCornerButtonEnabled(false);
  view.setWordWrap(false);
  view.setShowGrid(true);
  for (QHeaderView* header : {view.horizontalHeader(), view.verticalHeader()}) {
    header->setSectionResizeMode(QHeaderView::Fixed);
    header->setSectionsMovable(false);
    header->setSectionsClickable(false);
    header->setHighlightSections(false);
    header->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    header->setMinimumSectionSize(1);
  }
  // X and Y share the room beside the row numbers, so both are always wholly in view; a text
  // too long for its cell keeps its start and end (a number its sign and exponent).
  view.horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  view.setTextElideMode(Qt::ElideMiddle);
  view.horizontalHeader()->setFixedHeight(24);
  view.verticalHeader()->setDefaultSectionSize(24);
  const QColor fixed = ToColor(clInactiveCaptionText);
  view.setStyleSheet(
      QStringLiteral("QHeaderView::section { background-color: %1; border: none;"
                     " border-right: 1px solid #a0a0a0; border-bottom: 1px solid #a0a0a0;"
                     " padding-left: 2px; }")
          .arg(fixed.name()));
  // Delete empties the selected cells (in the editor it deletes a character, as ever).
  auto* clear = new QAction(&view);
  clear->setShortcut(QKeySequence::Delete);
  clear->setShortcutContext(Qt::WidgetShortcut);
  connect(clear, &QAction::triggered, this, [this] {
    Command([this] { grid_model_->ClearCells(ui_->StringGrid1->selectionModel()->selection()); });
  });
  view.addAction(clear);
  // Tab moves from cell to cell; Ctrl+Tab and Ctrl+Shift+Tab leave the grid.
  const std::pair<QKeySequence, QWidget*> exits[] = {
      {QKeySequence(Qt::CTRL | Qt::Key_Tab), ui_->Button1},
      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), ui_->SpeedButton7}};
  for (const auto& [key, next] : exits) {
    auto* leave = new QAction(&view);
    leave->setShortcut(key);
    leave->setShortcutContext(Qt::WidgetShortcut);
    connect(leave, &QAction::triggered, next, [next = next] {
      next->window()->setAttribute(Qt::WA_KeyboardFocusChange);  // the style marks the focus
      next->setFocus(Qt::TabFocusReason);
    });
    view.addAction(leave);
  }
  auto* delegate = new TGridCellDelegate(&view);
  delegate->OnPasteBlock = [this](const QString& text, const QModelIndex& at) {
    Command([&] {
      PasteText(text, at);
      PlotDataPoints();
    });
  };
  view.setItemDelegate(delegate);
  view.setContextMenuPolicy(Qt::CustomContextMenu);
  connect(&view, &QWidget::customContextMenuRequested, this,
          [this](const QPoint& pos) {
            popup_menu2_->exec(ui_->StringGrid1->viewport()->mapToGlobal(pos));
          });
}

void TForm1::WireCommands() {
  connect(ui_->Button1, &QPushButton::clicked, this, [this] { Button1Click(); });
  for (const auto& [button, model] : ModelButtons()) {
    connect(button, &QToolButton::clicked, this, [this, model = model] { RunModel(model); });
  }
  connect(ui_->SpeedButton3, &QToolButton::clicked, this, [this] { Open1Click(); });
  connect(ui_->SpeedButton4, &QToolButton::clicked, this, [this] { SaveResult1Click(); });
  connect(ui_->SpeedButton5, &QToolButton::clicked, this, [this] { Save1Click(); });
  connect(ui_->SpeedButton6, &QToolButton::clicked, this, [this] { Manual1Click(); });
  connect(ui_->SpeedButton7, &QToolButton::clicked, this, [this] { Phase1Click(); });

  // The frame's controls swallow their errors.
  ui_->ImgBtnMin->OnClick = [this] {
    try {
      showMinimized();
    } catch (...) {
    }
  };
  ui_->ImgBtnClose->OnClick = [this] {
    try {
      close();
    } catch (...) {
    }
  };
  ui_->ImgBtnMax->OnClick = [] {};   // does nothing
  ui_->Image1->OnDblClick = [] {};   // as the maximise button
  ui_->Image1->OnMousePress = [this](QMouseEvent& event) {
    // A left press on the title moves the window with the mouse; other buttons do nothing.
    if (event.button() == Qt::LeftButton && !isMaximized() && windowHandle()) {
      windowHandle()->startSystemMove();
    }
  };
}

void TForm1::SetUpBackgroundWork() {
  work_ = new TBackgroundWork(this);
  // In the command tool bar, right of the tool buttons, above the chart.
  progress_panel_ = new TProgressPanel(ui_->ToolBar2);
  progress_panel_->setGeometry(472, 7, 305, 44);
  progress_delay_ = new QTimer(this);
  progress_delay_->setSingleShot(true);
  progress_delay_->setInterval(kProgressDelayMs);
  cancel_key_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
  cancel_key_->setEnabled(false);
  connect(work_, &TBackgroundWork::Started, this, [this] { WorkStarted(); });
  connect(work_, &TBackgroundWork::Ended, this, [this] { WorkEnded(); });
  connect(work_, &TBackgroundWork::Progressed, progress_panel_, &TProgressPanel::SetFraction);
  connect(progress_delay_, &QTimer::timeout, this, [this] {
    if (!work_->Busy()) return;
    EnableCommands(false);
    progress_panel_->show();
    progress_panel_->raise();
  });
  connect(progress_panel_, &TProgressPanel::CancelClicked, this, [this] { CancelWork(); });
  connect(cancel_key_, &QShortcut::activated, this, [this] { CancelWork(); });
}

bool TForm1::Busy() const { return work_->Busy(); }

void TForm1::WaitUntilIdle() { work_->WaitUntilIdle(); }

void TForm1::CancelWork() {
  if (!work_->Busy()) return;
  work_->Cancel();
  progress_panel_->ShowCancelling();
}

void TForm1::RunInBackground(const QString& caption,
                             std::function<void(ProgressObserver&)> work,
                             std::function<void(std::exception_ptr error)> apply) {
  progress_panel_->Begin(caption);
  work_->Start(std::move(work), [this, apply = std::move(apply)](std::exception_ptr error) {
    ShowOutcome([&] { apply(error); });
  });
}

void TForm1::WorkStarted() {
  QGuiApplication::setOverrideCursor(Qt::BusyCursor);
  // Nothing may change the grid until the work's outcome is in: no cell editor opens.
  ui_->StringGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  cancel_key_->setEnabled(true);
  progress_delay_->start();
}

void TForm1::WorkEnded() {
  progress_delay_->stop();
  progress_panel_->hide();
  cancel_key_->setEnabled(false);
  EnableCommands(true);
  ui_->StringGrid1->setEditTriggers(kGridEditTriggers);
  QGuiApplication::restoreOverrideCursor();
}

void TForm1::EnableCommands(bool enabled) {
  for (const auto& [button, model] : ModelButtons()) button->setEnabled(enabled);
  for (QWidget* control : std::initializer_list<QWidget*>{
           ui_->Button1, ui_->SpeedButton3, ui_->SpeedButton4, ui_->SpeedButton5}) {
    control->setEnabled(enabled);
  }
  // Every menu item but those that leave the data alone: Exit, Manual, HomePage.
  for (QMenu* menu : {file_menu_, popup_menu1_, popup_menu2_}) {
    for (QAction* action : menu->actions()) {
      if (action->objectName() != u"Exit1"_qs) action->setEnabled(enabled);
    }
  }
}

void TForm1::PlaceCaptionButtons() {
  const TCaptionButtonPlaces places = CaptionButtonPlaces(width());
  ui_->ImgBtnMin->move(places.ImgBtnMin);
  ui_->ImgBtnMin->raise();
  ui_->ImgBtnMax->move(places.ImgBtnMax);
  ui_->ImgBtnMax->raise();
  ui_->ImgBtnClose->move(places.ImgBtnClose);
  ui_->ImgBtnClose->raise();
}

void TForm1::FormCreate() {
  setMask(WindowShapeRegion(size()));
  ui_->PanelImage->hide();
  ui_->ToolBar1->move(12, ui_->ToolBar1->y());
  const TFramePictures frame = BuildFramePictures(skin_, width(), ApplicationIconPicture(),
                                                  windowTitle(), TitleCaptionStyle::kCreation);
  ui_->Image1->SetPicture(TPicture(frame.Image1));
  ui_->Image2->SetPicture(TPicture(frame.Image2));
  ui_->Image3->SetPicture(TPicture(frame.Image3));
  SliceButtonStates(*ui_->ImgBtnMin, skin_.ImageM, 27, 20, 0, 0);
  ui_->ImgBtnMin->resize(27, 20);
  SliceButtonStates(*ui_->ImgBtnClose, skin_.ImageM, 42, 20, 52, 0);
  ui_->ImgBtnClose->resize(42, 20);
  PlaceCaptionButtons();
  grid_.WriteHeaders();
}

void TForm1::FormResize() {
  setMask(WindowShapeRegion(size()));
  const TFramePictures frame = BuildFramePictures(skin_, width(), ApplicationIconPicture(),
                                                  windowTitle(), TitleCaptionStyle::kResize);
  ui_->Image1->SetPicture(TPicture(frame.Image1));
  ui_->Image2->SetPicture(TPicture(frame.Image2));
  ui_->Image3->SetPicture(TPicture(frame.Image3));
  PlaceCaptionButtons();
}

void TForm1::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  // Qt reports the size once when the window first shows; only a real change rebuilds.
  if (event->oldSize().isValid() && event->oldSize() != event->size()) FormResize();
}

void TForm1::closeEvent(QCloseEvent* event) {
  // Closing is always allowed; nothing is asked or saved, and running work is stopped.
  work_->Cancel();
  work_->WaitUntilIdle();
  event->accept();
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
  const QEvent::Type type = event->type();
  if (type == QEvent::KeyPress && (watched == file_menu_ || watched == help_menu_)) {
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (key == Qt::Key_Left || key == Qt::Key_Right) {
      TSkinMenuBarButton* other = watched == file_menu_ ? help_button_ : file_button_;
      static_cast<QMenu*>(watched)->close();
      // The closing menu's own loop ends first; the other menu then opens its own.
      QTimer::singleShot(0, other, &QToolButton::showMenu);
      return true;
    }
  }
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  auto* widget = qobject_cast<QWidget*>(watched);
  if (!widget || widget->window() != this) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  const QStringList files = drop->mimeData() ? DroppedFiles(*drop->mimeData()) : QStringList();
  // A drop that could only move the files is refused: the source would delete them.
  const Qt::DropActions offered = drop->possibleActions();
  if (files.isEmpty() || !(offered & (Qt::CopyAction | Qt::LinkAction))) return false;
  if (Busy()) {
    // Not taken while a load or fit runs: the source must not think the file arrived.
    drop->ignore();
    return true;
  }
  drop->setDropAction(offered & Qt::CopyAction ? Qt::CopyAction : Qt::LinkAction);
  drop->accept();
  if (type == QEvent::Drop) {
    // Loaded once the drop has ended, so that the program the files came from is not kept
    // waiting by an error box.
    const QPoint where = widget->mapToGlobal(drop->position().toPoint());
    QTimer::singleShot(0, this, [this, files, where] { DropFiles(files, where); });
  }
  return true;
}

template <class Body>
void TForm1::Command(Body&& body) {
  // One command at a time: the running load or fit ends first (its controls show disabled once
  // it takes long enough to notice).
  if (work_->Busy()) return;
  // A button that takes no focus leaves the grid's in-place editor open: what the user typed
  // there counts.
  ui_->StringGrid1->CommitOpenEditor();
  ShowOutcome(std::forward<Body>(body));
}

template <class Body>
void TForm1::ShowOutcome(Body&& body) {
  QString message;
  try {
    body();
  } catch (const EConvertError& error) {
    message = FromGridText(error.what());  // names a cell's text, as the grid shows it
  } catch (const Exception& error) {
    message = QString::fromLocal8Bit(error.what());
  } catch (const std::bad_alloc&) {
    message = u"Out of memory"_qs;
  } catch (const std::exception& error) {
    message = QString::fromUtf8(error.what());
  }
  // The window shows whatever the command did up to its error.
  RefreshViews();
  if (!message.isEmpty()) ShowError(message);
}

void TForm1::ShowError(const QString& message) {
  // A cell of many megabytes named in a message is cut short: laying out the whole text would
  // freeze the box.
  constexpr qsizetype kLongest = 2000;
  QString text = QString::fromStdString(ErrorBoxText(message.toStdString()));
  if (text.size() > kLongest) text = text.left(kLongest) + QChar(0x2026);
  dialogs_->ShowError(this, ApplicationTitle(), text);
}

void TForm1::RefreshViews() {
  grid_model_->Refresh();
  ui_->StringGrid1->horizontalHeader()->setVisible(grid_model_->HasFixedRow());
  FitRowNumberColumn();
  ui_->Chart1->update();
}

void TForm1::FitRowNumberColumn() {
  QHeaderView& numbers = *ui_->StringGrid1->verticalHeader();
  // A row's number is its own: the last row has the widest. Room for two digits at least.
  const QString widest = QString::number(std::max(grid_.RowCount() - 1, 99));
  const int width = numbers.fontMetrics().horizontalAdvance(widest) + 8;
  if (numbers.width() != width) numbers.setFixedWidth(width);
}

void TForm1::PlotDataPoints() {
  tarvolen::PlotDataPoints(chart_, grid_, DecimalSeparator(), curve_.Series());
}

void TForm1::LoadData(const std::optional<QString>& name) {
  if (name) RememberFolder(load_folder_, *name);
  // The file goes into a grid of its own, which replaces the window's when the load is done.
  auto work = name ? std::make_shared<LoadWork>(FileNameBytes(*name), EmptyGridLike(grid_),
                                                DecimalSeparator())
                   : std::make_shared<LoadWork>(std::nullopt, grid_, DecimalSeparator());
  const QString caption = name ? u"Loading "_qs + QFileInfo(*name).fileName() + QChar(0x2026)
                               : u"Plotting the data points\u2026"_qs;
  RunInBackground(
      caption, [work](ProgressObserver& observer) { work->Run(observer); },
      [this, work](std::exception_ptr error) {
        // The headers are written anew also when the file could not be read.
        if (error || !work->path) grid_.WriteHeaders();
        if (error) std::rethrow_exception(error);
        if (work->path) {
          grid_ = std::move(work->grid);
          DataChanged();
          // New data start from automatic axes: a zoom made for the old data could hide them.
          chart_.UndoZoom();
        }
        ShowDataPoints(
            chart_,
            [&](TPointSeries& points) {
              if (work->plot_error) std::rethrow_exception(work->plot_error);
              points.TakePoints(work->points);
            },
            curve_.Series());
      });
}

QString TForm1::LoadFolder() const {
  if (!load_folder_.isEmpty()) return load_folder_;
  if (const auto examples = ExamplesFolder()) return QFile::decodeName(examples->c_str());
  return QDir::homePath();
}

QString TForm1::SaveFolder(const QString& last_saved) const {
  if (!last_saved.isEmpty()) return last_saved;
  if (!load_folder_.isEmpty() && QFileInfo(load_folder_).isWritable()) return load_folder_;
  return QDir::homePath();
}

void TForm1::Open1Click() {
  Command([this] {
    LoadData(dialogs_->OpenFileName(this, LoadFolder(), kOpenFilter, u"txt"_qs));
  });
}

void TForm1::OpenFile(const QString& name) {
  Command([this, &name] { LoadData(name); });
}

void TForm1::DropFiles(const QStringList& files, const QPoint& global_pos) {
  if (files.isEmpty()) return;
  if (files.size() > 1) {
    dialogs_->ShowNote(this, global_pos,
                       QStringLiteral("%1 files dropped: only the first, %2, is loaded.")
                           .arg(files.size())
                           .arg(QFileInfo(files.first()).fileName()));
  }
  OpenFile(files.first());
}

void TForm1::PasteText(const QString& text, const QModelIndex& at) {
  const CellRange range =
      PasteIntoGrid(grid_, grid_model_->GridCol(at.column()), grid_model_->GridRow(at.row()),
                    ToGridText(text), DecimalSeparator());
  if (range.right < range.left) return;
  DataChanged();
  grid_model_->Refresh();
  QTableView& view = *ui_->StringGrid1;
  const int fixed = grid_.FixedRows();
  const QModelIndex first = grid_model_->index(range.top - fixed, range.left - 1);
  view.setCurrentIndex(first);
  view.selectionModel()->select(
      QItemSelection(first, grid_model_->index(range.bottom - fixed, range.right - 1)),
      QItemSelectionModel::ClearAndSelect);
}

void TForm1::CopyCells() {
  Command([this] {
    const CellRange range = SelectedCells(*ui_->StringGrid1, *grid_model_);
    if (range.right >= range.left) QGuiApplication::clipboard()->setText(CopiedCells(grid_, range));
  });
}

void TForm1::PasteCells() {
  Command([this] {
    const QString text = QGuiApplication::clipboard()->text();
    if (text.isEmpty()) return;
    const QModelIndex current = ui_->StringGrid1->currentIndex();
    PasteText(text, current.isValid() ? current : grid_model_->index(0, 0));
    PlotDataPoints();
  });
}

void TForm1::SaveData1Click() {
  Command([this] {
    // Data are saved where data are loaded from, and loaded from where they were saved.
    const auto choice = dialogs_->SaveFileChoice(this, SaveFolder(load_folder_), kDataFilter);
    if (!choice) return;
    RememberFolder(load_folder_, choice->name);
    const QString extension = choice->filter == 1 ? u".csv"_qs : u".txt"_qs;
    const std::string path = FileNameBytes(WithExtension(choice->name, extension));
    WriteWholeFile(path, DataFileText(grid_, DataFormatOfName(path), DecimalSeparator()));
  });
}

void TForm1::SaveResult1Click() {
  Command([this] {
    const auto name =
        dialogs_->SaveFileName(this, SaveFolder(result_folder_), kResultFilter, u"txt"_qs);
    if (!name) return;
    RememberFolder(result_folder_, *name);
    QString text = ui_->Memo1->toPlainText();
    text.replace(u'\n', u"\r\n"_qs);
    const QByteArray bytes = text.toLocal8Bit();
    WriteWholeFile(FileNameBytes(*name), std::string_view(bytes.constData(), bytes.size()));
  });
}

void TForm1::Save1Click() {
  Command([this] {
    using render::PictureFormat;
    const auto choice =
        dialogs_->SaveFileChoice(this, SaveFolder(figure_folder_), kPictureFilter);
    if (!choice) return;
    RememberFolder(figure_folder_, choice->name);
    // The name's extension says the format; without one of ours, the chosen filter does and
    // its extension is added.
    std::string path = FileNameBytes(choice->name);
    std::optional<PictureFormat> format = render::PictureFormatOfName(path);
    if (!format) {
      constexpr PictureFormat kFilters[] = {PictureFormat::kBmp, PictureFormat::kPng,
                                            PictureFormat::kSvg};
      format = kFilters[std::clamp(choice->filter, 0, 2)];
      path += render::PictureExtension(*format);
    }
    render::SaveChartPicture(chart_, path, *format);
  });
}

void TForm1::Copy1Click() {
  Command([this] {
    const QImage picture = render::RenderChartImage(chart_);
    QGuiApplication::clipboard()->setImage(picture);
  });
}

// Help leaves the data alone: it opens also while a load or fit runs.
void TForm1::Manual1Click() {
  ShowOutcome([this] { OpenManual(); });
}

void TForm1::OpenManual() {
  const auto chm = ManualChm();
  if (chm && dialogs_->HasViewer(kChmType) && dialogs_->OpenUrl(LocalUrl(*chm))) return;
  if (const auto html = ManualHtml()) {
    const QUrl page = LocalUrl(*html);
    if (dialogs_->HasViewer(kHtmlType) && dialogs_->OpenUrl(page)) return;
    if (!help_window_) help_window_ = new THelpWindow(this);
    help_window_->ShowPage(page);
    return;
  }
  const std::string folder = ProgramFolder();
  const QString html = Quoted(InstalledPath(folder, InstalledItem::kManualHtml));
  const QString message =
      chm ? u"Cannot show the manual: no program is set up to open "_qs + Quoted(*chm) +
                u", and its HTML pages "_qs + html + u" are missing"_qs
          : u"The manual is not installed: "_qs +
                Quoted(InstalledPath(folder, InstalledItem::kManualChm)) + u" and "_qs + html +
                u" are missing"_qs;
  throw Exception(message.toLocal8Bit().toStdString());
}

void TForm1::Phase1Click() {
  ShowOutcome([this] { OpenHomePage(); });
}

void TForm1::OpenHomePage() {
  const QUrl address(QString::fromLatin1(kHomePage));
  if (dialogs_->HasViewer(u"x-scheme-handler/"_qs + address.scheme()) &&
      dialogs_->OpenUrl(address)) {
    return;
  }
  throw Exception(std::string("Cannot open the home page ") + kHomePage +
                  ": no web browser is set up");
}

void TForm1::Exit1Click() { close(); }

void TForm1::Button1Click() {
  Command([this] {
    ExchangeXY(grid_);
    DataChanged();
    // The chart shows the exchanged columns at once: the points move to their new axes, scaled
    // anew, and the curve fitted to the old columns goes.
    chart_.UndoZoom();
    PlotDataPoints();
  });
}

void TForm1::RunModel(Model model) {
  Command([this, model] {
    auto work = std::make_shared<FitWork>(model, grid_, DecimalSeparator(), fields_);
    RunInBackground(
        u"Fitting the "_qs + QString::fromStdString(fit::ModelTitle(model)) +
            u" model\u2026"_qs,
        [work](ProgressObserver& observer) { work->Run(observer); },
        [this, work](std::exception_ptr error) {
          // What the fit did, as far as it got: the results box is always emptied first.
          memo_lines_->Clear();
          for (const std::string& line : work->lines.Lines()) memo_lines_->Add(line);
          fields_ = work->fields;
          // The statistics go with the report: a fit that failed leaves none.
          statistics_ = std::move(work->statistics);
          statistics_state_ = statistics_ ? StatisticsState::kFitted : StatisticsState::kFitFailed;
          RefreshStatistics();
          if (TLineSeries* curve = work->curve.Series()) {
            curve_.Restart();
            curve_.Series()->TakePoints(*curve);
          } else if (error) {
            // The fit emptied the results box before it got to replace the curve: the old one
            // would stand beside an empty report as if it were this fit's, so it goes.
            curve_.Remove();
          }
          if (error) std::rethrow_exception(error);
        });
  });
}

void TForm1::DataChanged() {
  if (statistics_state_ == StatisticsState::kNoFit) return;
  statistics_.reset();
  statistics_state_ = StatisticsState::kDataChanged;
  RefreshStatistics();
}

void TForm1::RefreshStatistics() {
  if (!statistics_dialog_) return;
  switch (statistics_state_) {
    case StatisticsState::kFitted:
      statistics_dialog_->ShowStatistics(*statistics_, DecimalSeparator());
      break;
    case StatisticsState::kNoFit:
      statistics_dialog_->ShowNothing(
          u"No statistics yet: they describe a fit. Press a model button, and the figures of "
          "its fit show here."_qs);
      break;
    case StatisticsState::kFitFailed:
      statistics_dialog_->ShowNothing(
          u"No statistics: the last fit ended with an error, and a fit that fails has none."_qs);
      break;
    case StatisticsState::kDataChanged:
      statistics_dialog_->ShowNothing(
          u"No statistics: the data changed since the last fit. Press a model button to fit "
          "them again."_qs);
      break;
  }
}

void TForm1::Statistics1Click() {
  Command([this] {
    if (!statistics_dialog_) statistics_dialog_ = new TStatisticsDialog(this);
    RefreshStatistics();
    statistics_dialog_->show();
    statistics_dialog_->raise();
    statistics_dialog_->activateWindow();
  });
}

TComparisonDialog* TForm1::ComparisonDialog() const { return comparison_dialog_; }

void TForm1::CompareModels1Click() {
  Command([this] {
    auto work = std::make_shared<CompareWork>(grid_, DecimalSeparator());
    RunInBackground(
        u"Comparing the ten models\u2026"_qs,
        [work](ProgressObserver& observer) { work->Run(observer); },
        [this, work](std::exception_ptr error) {
          if (error) std::rethrow_exception(error);
          // Shown over the window, which waits until it closes: the ranking is of the data
          // as they are now.
          comparison_dialog_ = new TComparisonDialog(work->comparison, DecimalSeparator(), this);
          comparison_dialog_->setAttribute(Qt::WA_DeleteOnClose);
          comparison_dialog_->setWindowModality(Qt::WindowModal);
          connect(comparison_dialog_, &TComparisonDialog::ModelChosen, this,
                  [this](Model model) { RunModel(model); });
          comparison_dialog_->show();
        });
  });
}

}  // namespace tarvolen
