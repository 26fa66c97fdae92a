#include "shell/Unit1.h"

#include <QAction>
#include <QClipboard>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLocale>
#include <QPlainTextEdit>
#include <QResizeEvent>
#include <QShortcut>
#include <QTextCursor>
#include <QTimer>
#include <QWindow>
#include <new>
#include <optional>

#include "common/errors.h"
#include "common/file_io.h"
#include "common/installation.h"
#include "data/data_file.h"
#include "fit/causes.h"
#include "plot/bitmap.h"
#include "plot/data_plot.h"
#include "render/painter_canvas.h"
#include "shell/background_work.h"
#include "shell/progress_panel.h"
#include "shell/skin_frame.h"
#include "shell/skin_painting.h"
#include "shell/window_work.h"
#include "ui_Unit1.h"

namespace tarvolen {
namespace {

constexpr int kWindowWidth = 796;
constexpr int kWindowHeight = 613;

// The dialogs' filter strings.
const QString kOpenFilter = u"All Files(*.*)|*.*|TXT file(*.txt)|*.txt|Data file(*.dat)|*.dat"_qs;
const QString kResultFilter = u"TXT file(*.txt)|*.txt"_qs;
const QString kPictureFilter = u"bmp(*.bmp)|*.bmp"_qs;

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

}  // namespace

void MemoLines::Clear() { memo_.clear(); }

void MemoLines::Add(const std::string& line) {
  QTextCursor cursor(memo_.document());
  cursor.movePosition(QTextCursor::End);
  cursor.insertText(QString::fromStdString(line) + u'\n');
}

QString TForm1::ApplicationTitle() {
  QString name = QFileInfo(QCoreApplication::applicationFilePath()).fileName();
  const qsizetype stop = name.indexOf(u'.');
  if (stop >= 0) name.truncate(stop);
  if (name.size() > 1) name = name.left(1) + name.mid(1).toLower();
  return name;
}

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
  SetUpBackgroundWork();
  FormCreate();
  RefreshViews();
}

TForm1::~TForm1() {
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
    button->setFocusPolicy(Qt::NoFocus);
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
    button->setFocusPolicy(Qt::NoFocus);
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
  file_menu_->addAction(picture(kMenuPictureSaveResult), u"Save Result"_qs, this,
                        [this] { SaveResult1Click(); })
      ->setObjectName(u"SaveResult1"_qs);
  file_menu_->addAction(picture(kMenuPictureSaveFigure), u"Save Figure"_qs, this,
                        [this] { Save1Click(); })
      ->setObjectName(u"SaveFigure1"_qs);
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

  file_button_ = new TSkinMenuBarButton(u"File"_qs, skin_.ImageMenu, ui_->ToolBar1);
  file_button_->setGeometry(0, 0, 65, 28);
  file_button_->setMenu(file_menu_);
  help_button_ = new TSkinMenuBarButton(u"Help"_qs, skin_.ImageMenu, ui_->ToolBar1);
  help_button_->setGeometry(65, 0, 65, 28);
  help_button_->setMenu(help_menu_);
}

void TForm1::SetUpGrid() {
  QTableView& view = *ui_->StringGrid1;
  grid_model_ = new StringGridModel(grid_, this);
  view.setModel(grid_model_);
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
  view.horizontalHeader()->setDefaultSectionSize(64);
  view.horizontalHeader()->setFixedHeight(24);
  view.verticalHeader()->setDefaultSectionSize(24);
  view.verticalHeader()->setFixedWidth(64);
  const QColor fixed = ToColor(clInactiveCaptionText);
  view.setStyleSheet(
      QStringLiteral("QHeaderView::section { background-color: %1; border: none;"
                     " border-right: 1px solid #a0a0a0; border-bottom: 1px solid #a0a0a0;"
                     " padding-left: 2px; }")
          .arg(fixed.name()));
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
  if (work_->Busy()) {
    work_->Cancel();
    work_->WaitUntilIdle();
  }
  event->accept();
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
  ui_->Chart1->update();
}

void TForm1::PlotDataPoints() {
  tarvolen::PlotDataPoints(chart_, grid_, DecimalSeparator(), curve_.Series());
}

void TForm1::LoadData(const std::optional<QString>& name) {
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
        if (work->path) grid_ = std::move(work->grid);
        grid_model_->Refresh();
        ShowDataPoints(
            chart_,
            [&](TPointSeries& points) {
              if (work->plot_error) std::rethrow_exception(work->plot_error);
              points.TakePoints(work->points);
            },
            curve_.Series());
      });
}

void TForm1::Open1Click() {
  Command([this] {
    const QString folder = QCoreApplication::applicationDirPath() + u'/';
    LoadData(dialogs_->OpenFileName(this, folder, kOpenFilter, u"txt"_qs));
  });
}

void TForm1::OpenFile(const QString& name) {
  Command([this, &name] { LoadData(name); });
}

void TForm1::SaveResult1Click() {
  Command([this] {
    const auto name = dialogs_->SaveFileName(this, kResultFilter, u"txt"_qs);
    if (!name) return;
    QString text = ui_->Memo1->toPlainText();
    text.replace(u'\n', u"\r\n"_qs);
    const QByteArray bytes = text.toLocal8Bit();
    WriteWholeFile(FileNameBytes(*name), std::string_view(bytes.constData(), bytes.size()));
  });
}

void TForm1::Save1Click() {
  Command([this] {
    const auto name = dialogs_->SaveFileName(this, kPictureFilter, QString());
    if (!name) return;
    QString path = *name;
    if (!path.endsWith(u".bmp"_qs, Qt::CaseInsensitive)) path += u".bmp"_qs;
    SaveChartBitmap(chart_, FileNameBytes(path), render::MakeImageBitmap);
  });
}

void TForm1::Copy1Click() {
  Command([this] {
    const QImage picture = render::RenderChartImage(chart_);
    QGuiApplication::clipboard()->setImage(picture);
  });
}

void TForm1::Manual1Click() {
  Command([this] {
    const std::string manual = InstalledPath(ProgramFolder(), InstalledItem::kManualChm);
    dialogs_->OpenUrl(QUrl::fromLocalFile(QFile::decodeName(manual.c_str())));
  });
}

void TForm1::Phase1Click() {
  Command([this] { dialogs_->OpenUrl(QUrl(QString::fromLatin1(kHomePage))); });
}

void TForm1::Exit1Click() { close(); }

void TForm1::Button1Click() {
  Command([this] { ExchangeXY(grid_); });
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
          if (TLineSeries* curve = work->curve.Series()) {
            curve_.Restart();
            curve_.Series()->TakePoints(*curve);
          }
          if (error) std::rethrow_exception(error);
        });
  });
}

}  // namespace tarvolen
