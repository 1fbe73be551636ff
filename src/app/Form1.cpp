// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/Form1.h"

#include "app/FileListModel.h"
#include "app/Mnemonics.h"
#include "app/NumberField.h"
#include "app/PlanPreview.h"
#include "split/SplitChoice.h"
#include "app/Settings.h"
#include "common/AppError.h"
#include "app/Main.h"
#include "common/NumberConversion.h"
#include "toolkit/ReportingHandler.h"
#include "toolkit/Toolkit.h"
#include "app/SplitRun.h"

#include <QButtonGroup>
#include <QCoreApplication>
#include <QEvent>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QImageReader>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPixmap>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QResizeEvent>
#include <QShortcut>
#include <QTreeView>

namespace qm {

namespace {

QPushButton *button(const char *name, const QString &caption, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(true); // Return presses the button that has the focus
    return b;
}

} // namespace

Form1::Form1(Context &context, QWidget *parent)
    : QWidget(parent), m_ctx(context), m_files(std::make_unique<FileListModel>()),
      m_turns(context.toolkit, context.walkTurnIntervalMs)
{
    setObjectName(QStringLiteral("Form1"));
    buildControls();
    connectHandlers();
    connectPlanPreview();
    m_ctx.toolkit.setOwner(this);
}

Form1::~Form1()
{
    if (m_ctx.toolkit.owner() == this)
        m_ctx.toolkit.setOwner(nullptr);
}

void Form1::buildControls()
{
    setFont(QFont(QStringLiteral("Arial"), 9));
    setMinimumSize(leastSize());
    resize(designSize());

    buildListAndButtons();
    buildOutputAndProgress();
    buildOptions();
    layOut();
    assignMnemonics();
    wireKeyboardAndPointer();
}

void Form1::buildListAndButtons()
{
    PushButton7 = button("PushButton7", tr("Help"), this);
    PushButton7->setAccessibleDescription(tr("How split sizes are worked out"));

    ListView1 = new QTreeView(this);
    ListView1->setObjectName(QStringLiteral("ListView1"));
    ListView1->setRootIsDecorated(false);
    ListView1->setUniformRowHeights(true);
    ListView1->setItemsExpandable(false);
    ListView1->setSelectionMode(QAbstractItemView::SingleSelection);
    ListView1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    ListView1->setAcceptDrops(true);
    ListView1->viewport()->setAcceptDrops(true);
    ListView1->setDragDropMode(QAbstractItemView::DropOnly);
    ListView1->header()->setStretchLastSection(false);
    ListView1->setModel(m_files.get());
    ListView1->setToolTip(tr("Drag and drop files here. Double-click item to remove it. "
                             "Move bar to right and out of window to reveal full names."));
    ListView1->setAccessibleName(tr("Zip File(s)"));
    ListView1->setAccessibleDescription(ListView1->toolTip());

    PushButton1 = button("PushButton1", tr("Add Zip File(s)"), this);
    PushButton4 = button("PushButton4", tr("Add All Zip Files In Folder"), this);
    PushButton5 = button("PushButton5", tr("Clear List"), this);
    PushButton6 = button("PushButton6", tr("Load Sample/Example Files"), this);

}

void Form1::buildOutputAndProgress()
{
    Frame1 = new QGroupBox(tr("Split To This Folder"), this);
    Frame1->setObjectName(QStringLiteral("Frame1"));
    Text1 = new QLineEdit(Frame1);
    Text1->setObjectName(QStringLiteral("Text1"));
    Text1->setAccessibleName(Frame1->title());
    PushButton3 = button("PushButton3", QStringLiteral("..."), Frame1);
    PushButton3->setAccessibleName(tr("Browse for the output folder"));
    PushButton3->setToolTip(PushButton3->accessibleName());

    PushButton2 = button("PushButton2", tr("Start Splitting"), this);
    PushButton2->setAccessibleName(PushButton2->text());

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 1000); // tenths of a percent, so 33.3 shows as such
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setAccessibleName(tr("Split progress"));

}

void Form1::buildOptions()
{
    Frame2 = new QGroupBox(tr("Split Option"), this);
    Frame2->setObjectName(QStringLiteral("Frame2"));
    Option1 = new QRadioButton(tr("Split each source file by this size, in Megabytes (MB):"), Frame2);
    Option1->setObjectName(QStringLiteral("Option1"));
    Option1->setChecked(true);
    Text2 = new QLineEdit(Frame2);
    Text2->setObjectName(QStringLiteral("Text2"));
    Text2->setAccessibleName(Option1->text());
    Text2->setValidator(new NumberFieldValidator(&MegabytesFromText, kMostMegabytes, Text2));
    Option2 = new QRadioButton(tr("Split each source file into this number of parts:"), Frame2);
    Option2->setObjectName(QStringLiteral("Option2"));
    Text3 = new QLineEdit(Frame2);
    Text3->setObjectName(QStringLiteral("Text3"));
    Text3->setAccessibleName(Option2->text());
    Text3->setValidator(new NumberFieldValidator(&PartsFromText, kMostParts, Text3));

    // The frame is white until a skin paints it; its text is set dark with it, or a dark theme's
    // light text would vanish on the white. The option buttons paint no back of their own: the
    // frame's shows through their captions.
    for (QWidget *w : {static_cast<QWidget *>(Frame2), static_cast<QWidget *>(Option1),
                       static_cast<QWidget *>(Option2)}) {
        QPalette pal = w->palette();
        pal.setColor(QPalette::Window, Qt::white);
        pal.setColor(QPalette::Button, Qt::white);
        pal.setColor(QPalette::WindowText, Qt::black);
        pal.setColor(QPalette::ButtonText, Qt::black);
        w->setPalette(pal);
    }
    Frame2->setAutoFillBackground(true);

}

void Form1::wireKeyboardAndPointer()
{
    // Keyboard order follows the layout, top to bottom, left to right.
    QWidget *order[] = {PushButton7, ListView1, PushButton1, PushButton4, PushButton5, PushButton6,
                        Text1, PushButton3, PushButton2, Option1, Text2, Option2, Text3};
    for (size_t i = 0; i + 1 < std::size(order); ++i)
        setTabOrder(order[i], order[i + 1]);
    ListView1->setFocus();

    // Pointer moves over the background, frames, list and buttons drive the cursor rule.
    setMouseTracking(true);
    for (QWidget *w : {static_cast<QWidget *>(this), static_cast<QWidget *>(Frame1),
                       static_cast<QWidget *>(Frame2), ListView1->viewport(),
                       static_cast<QWidget *>(PushButton1), static_cast<QWidget *>(PushButton2),
                       static_cast<QWidget *>(PushButton3), static_cast<QWidget *>(PushButton4),
                       static_cast<QWidget *>(PushButton5), static_cast<QWidget *>(PushButton6),
                       static_cast<QWidget *>(PushButton7)}) {
        w->setMouseTracking(true);
        w->installEventFilter(this);
    }
    Text2->installEventFilter(this);
    Text3->installEventFilter(this);
    ListView1->installEventFilter(this);
}

void Form1::connectHandlers()
{
    connect(PushButton1, &QPushButton::clicked, this, [this] { PushButton1_Click(); });
    connect(PushButton2, &QPushButton::clicked, this, [this] { PushButton2_Click(); });
    // Escape stops a run, as "Stop Splitting" does; otherwise it does nothing.
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), this), &QShortcut::activated, this, [this] {
        if (m_activeRun)
            m_activeRun->stop();
    });
    connect(PushButton3, &QPushButton::clicked, this, [this] { PushButton3_Click(); });
    connect(PushButton4, &QPushButton::clicked, this, [this] { PushButton4_Click(); });
    connect(PushButton5, &QPushButton::clicked, this, [this] { PushButton5_Click(); });
    connect(PushButton6, &QPushButton::clicked, this, [this] { PushButton6_Click(); });
    connect(PushButton7, &QPushButton::clicked, this, [this] { PushButton7_Click(); });
    connect(new QShortcut(QKeySequence(Qt::Key_F1), this), &QShortcut::activated, PushButton7, &QPushButton::click);
    connect(Option1, &QRadioButton::toggled, this, [this](bool on) { if (on) Option1_Click(); });
    connect(Option2, &QRadioButton::toggled, this, [this](bool on) { if (on) Option2_Click(); });
    connect(Text1, &QLineEdit::textChanged, this, [this] { Text1_Change(); });
    connect(Text2, &QLineEdit::textChanged, this, [this] { Text2_Change(); });
    connect(Text3, &QLineEdit::textChanged, this, [this] { Text3_Change(); });
    connect(ListView1, &QTreeView::doubleClicked, this, [this] { ListView1_DblClick(); });
}

void Form1::Form_Load()
{
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("Form_Load"));
    const QString appDir = m_ctx.applicationFolder;

    h.step(100, [&] { ApplySkin(*this, m_skin, m_ctx.applicationFolder); });
    h.step(102, [&] {
        CentreForm(*this);
        CentreFormOnceFramed(*this);
    });
    h.step(104, [&] { setWindowTitle(kApplicationTitle); });
    h.also([&] { setWindowIcon(ApplicationIcon()); });
    const QString cursorFile = appDir + QStringLiteral("/HAND-M.CUR");
    if (h.test(106, [&] { return FileExists(cursorFile); }))
        h.step(108, [&] { loadHandCursor(cursorFile); });
    h.step(128, [&] { m_files->setColumnTitle(tr("Zip File(s)")); });
    h.step(130, [&] { fitListColumn(); });
    h.step(132, [&] {
        // The desktop is only needed when nothing is stored: a missing desktop must not hide
        // the folder the user chose last time.
        const QString key = QStringLiteral("Output Directory");
        Text1->setText(m_ctx.settings.exists(key) ? m_ctx.settings.read(key, QString()) : m_ctx.settings.read(key, DesktopFolder()));
    });
    h.step(134, [&] { setOptionValue(Option1, ToBoolean(m_ctx.settings.read(QStringLiteral("Option1"), QStringLiteral("1")))); });
    h.step(136, [&] { setOptionValue(Option2, ToBoolean(m_ctx.settings.read(QStringLiteral("Option2"), QStringLiteral("0")))); });
    h.step(138, [&] { Text2->setText(m_ctx.settings.read(QStringLiteral("Text2"), QStringLiteral("20"))); });
    h.step(140, [&] { Text3->setText(m_ctx.settings.read(QStringLiteral("Text3"), QStringLiteral("5"))); });
    h.step(142, [&] { UpdateSplitFields(); });
    loadArchiveLibraryAhead();
}

void Form1::loadHandCursor(const QString &path)
{
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull())
        throw AppError::invalidPicture();
    // The hotspot lives in the cursor file's directory entry, which the image reader skips.
    int hotX = 0;
    int hotY = 0;
    QFile file(path);
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray head = file.read(14);
        const auto u16 = [&](int at) { return int(uchar(head[at])) | (int(uchar(head[at + 1])) << 8); };
        if (head.size() == 14 && u16(0) == 0 && u16(2) == 2) {
            hotX = qBound(0, u16(10), image.width() - 1);
            hotY = qBound(0, u16(12), image.height() - 1);
        }
    }
    m_handCursor = QCursor(QPixmap::fromImage(image), hotX, hotY);
}

void Form1::setOptionValue(QRadioButton *option, bool on)
{
    if (option->isChecked() == on)
        return;
    if (on) {
        option->setChecked(true); // raises the click handling
        return;
    }
    // Turning an option off by itself is refused by exclusive groups; do it outside the group.
    option->setAutoExclusive(false);
    option->setChecked(false);
    option->setAutoExclusive(true);
}

void Form1::Option1_Click()
{
    m_ctx.settings.write(QStringLiteral("Option1"), Option1->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    m_ctx.settings.write(QStringLiteral("Option2"), Option2->isChecked() ? QStringLiteral("True") : QStringLiteral("False"));
    UpdateSplitFields();
}

void Form1::Option2_Click()
{
    Option1_Click();
}

void Form1::UpdateSplitFields()
{
    if (Option1->isChecked()) {
        Text2->setEnabled(true);
        Text3->setEnabled(false);
    } else if (Option2->isChecked()) {
        Text2->setEnabled(false);
        Text3->setEnabled(true);
    }
}

void Form1::Text1_Change()
{
    m_ctx.settings.write(QStringLiteral("Output Directory"), Text1->text());
}

void Form1::Text2_Change()
{
    m_ctx.settings.write(QStringLiteral("Text2"), Text2->text());
}

void Form1::Text3_Change()
{
    m_ctx.settings.write(QStringLiteral("Text3"), Text3->text());
}

void Form1::Text2_Validate()
{
    bool tooBig = false;
    try {
        tooBig = ToLong(Text2->text()) > kMostMegabytes;
    } catch (const AppError &e) {
        // Beyond 32 bits is still a number, and above the limit unless negative; anything else
        // is not a number and kept as typed for the run to report.
        tooBig = e.number() == AppError::overflow().number()
                 && !Text2->text().trimmed().startsWith(QLatin1Char('-'));
    }
    if (tooBig) {
        Text2->setText(QString::number(kMostMegabytes));
        m_ctx.toolkit.msgBox(tr("Max split size is %1 MB").arg(kMostMegabytes));
    }
}

void Form1::Text3_Validate()
{
    std::int16_t value = 1;
    try {
        value = ToInteger(Text3->text());
    } catch (const AppError &) {
        return; // not a number or out of range: kept as typed; the run reports it
    }
    if (value == 0)
        Text3->setText(QStringLiteral("1"));
}

void Form1::PushButton7_Click()
{
    ReportingHandler h(m_ctx.toolkit, QStringLiteral("PushButton7_Click"));
    h.step(100, [&] {
        m_ctx.toolkit.msgBox(tr("Max split size is %1 MB.\r\n\r\n"
                                "Resulting sizes and amounts of files  may vary.\r\n\r\n"
                                "Min split size has to be more than largest of files in archive (it will be "
                                "calculated automatically).\r\n\r\n"
                                "If split size is more than size of source file then one file will be created.")
                                 .arg(kMostMegabytes));
    });
}

void Form1::setMousePointer(int shape)
{
    m_mousePointer = shape;
    m_ctx.toolkit.setMousePointer(this, shape, m_handCursor ? &*m_handCursor : nullptr);
}

void Form1::pointerMovedOver(QWidget *control)
{
    if (m_mousePointer == vbHourglass || !control)
        return;
    const bool overButton = qobject_cast<QPushButton *>(control) != nullptr;
    const int shape = overButton ? vbCustom : vbDefault;
    if (shape != m_mousePointer)
        setMousePointer(shape);
}

QWidget *Form1::pointerControlAt(QWidget *widget) const
{
    // Walk up to the control that owns the pointer rule; text fields and options have none.
    for (QWidget *w = widget; w; w = w->parentWidget()) {
        if (qobject_cast<QPushButton *>(w) || w == ListView1 || w == Frame1 || w == Frame2 || w == this)
            return w;
        if (w == Text1 || w == Text2 || w == Text3 || w == Option1 || w == Option2 || w == ProgressBar1)
            return nullptr;
    }
    return nullptr;
}

bool Form1::eventFilter(QObject *watched, QEvent *event)
{
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::Enter:
        if (auto *w = qobject_cast<QWidget *>(watched))
            pointerMovedOver(pointerControlAt(w == ListView1->viewport() ? ListView1 : w));
        break;
    case QEvent::FocusOut: {
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        // Validation runs when the focus moves to another control, not when a box pops up.
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            if (watched == Text2)
                Text2_Validate();
            else if (watched == Text3)
                Text3_Validate();
        }
        break;
    }
    case QEvent::DragEnter:
    case QEvent::DragMove:
    case QEvent::Drop:
        if (watched == ListView1->viewport())
            return listDragEvent(event);
        break;
    case QEvent::Resize:
        if (watched == ListView1->viewport())
            fitListColumn(static_cast<QResizeEvent *>(event)->oldSize().width());
        break;
    case QEvent::KeyPress:
        if (watched == ListView1)
            ListView1_KeyDown(static_cast<QKeyEvent *>(event)->key() == Qt::Key_Delete ? 46 : 0);
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QString Form1::outputFolderText() const { return Text1->text(); }
void Form1::setOutputFolderText(const QString &text) { Text1->setText(text); }
void Form1::focusOutputFolder() { Text1->setFocus(Qt::OtherFocusReason); }
void Form1::focusSizeField() { Text2->setFocus(Qt::OtherFocusReason); }
void Form1::focusPartsField() { Text3->setFocus(Qt::OtherFocusReason); }
QString Form1::sizeText() const { return Text2->text(); }
bool Form1::partsSelected() const { return Option2->isChecked(); }
QString Form1::partsText() const { return Text3->text(); }
int Form1::rowCount() const { return m_files->count(); }
QString Form1::rowText(int index) const { return m_files->text(index); }

void Form1::assignMnemonics()
{
    // Start/Stop first: the button used most keeps its letter whatever else the language has.
    AssignMnemonics({PushButton2, PushButton1, PushButton4, PushButton5, PushButton6, PushButton7, Option1, Option2});
}

} // namespace qm
