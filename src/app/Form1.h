// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "app/AddFolder.h"
#include "app/CommonDialog.h"
#include "app/Context.h"
#include "app/SkinFramework.h"
#include "app/SplitHost.h"

#include <QCursor>
#include <QWidget>

#include <memory>
#include <optional>

class QGroupBox;
class QLineEdit;
class QMimeData;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTreeView;

namespace qm {

class FileListModel;
class PlanPreview;
class SplitRun;
struct SplitChoice;
class UnzipLibrary;

// The main window. Controls carry their design names as members and objectName; handlers are
// named control_event. Construction builds the window; Form_Load restores it and runs once
// before the window is first shown.
class Form1 : public QWidget, public SplitHost
{
    Q_OBJECT
public:
    explicit Form1(Context &context, QWidget *parent = nullptr);
    ~Form1() override;

    // --- handlers -----------------------------------------------------------------------------
    void Form_Load();
    void PushButton1_Click();   // Add Zip File(s)
    void PushButton2_Click();   // Start Splitting
    void PushButton3_Click();   // ... (output folder)
    void PushButton4_Click();   // Add All Zip Files In Folder
    void PushButton5_Click();   // Clear List
    void PushButton6_Click();   // Load Sample/Example Files
    void PushButton7_Click();   // Help
    void ListView1_KeyDown(int keyCode);
    void ListView1_DblClick();
    // Drag-over: true when the dragged data may be dropped (a list of local files only).
    bool ListView1_OLEDragOver(const QMimeData *data) const;
    // Drop: the dropped paths in the order the drag source lists them.
    void ListView1_OLEDragDrop(const QStringList &dropped);
    static QStringList droppedPaths(const QMimeData *data);
    void Option1_Click();
    void Option2_Click();
    void Text1_Change();
    void Text2_Change();
    void Text3_Change();
    void Text2_Validate();
    void Text3_Validate();
    void UpdateSplitFields();
    // Cursor rule: the pointer moved over `control` (a button, a frame, the list or the form).
    void pointerMovedOver(QWidget *control);

    // --- state the handlers read ---------------------------------------------------------
    int MousePointer() const { return m_mousePointer; }
    void setMousePointer(int shape) override;
    FileListModel &fileList() { return *m_files; }
    // Option state that can also be "neither selected" (the button group forbids that).
    void setOptionValue(QRadioButton *option, bool on);

    // --- SplitHost ----------------------------------------------------------------------------
    QString outputFolderText() const override;
    void setOutputFolderText(const QString &text) override;
    void focusOutputFolder() override;
    void focusSizeField() override;
    void focusPartsField() override;
    QString sizeText() const override;
    bool partsSelected() const override;
    QString partsText() const override;
    int rowCount() const override;
    QString rowText(int index) const override;
    void setProgress(double value) override;
    void setProgressText(const QString &text) override;
    void setRunning(bool running) override;
    bool isRunning() const { return m_running; }
    std::shared_ptr<UnzipLibrary> archiveLibrary() override;

    // --- controls (design names) --------------------------------------------------------------
    QPushButton *PushButton1 = nullptr;
    QPushButton *PushButton2 = nullptr;
    QPushButton *PushButton3 = nullptr;
    QPushButton *PushButton4 = nullptr;
    QPushButton *PushButton5 = nullptr;
    QPushButton *PushButton6 = nullptr;
    QPushButton *PushButton7 = nullptr;
    QTreeView *ListView1 = nullptr;
    QGroupBox *Frame1 = nullptr;
    QGroupBox *Frame2 = nullptr;
    QLineEdit *Text1 = nullptr;
    QLineEdit *Text2 = nullptr;
    QLineEdit *Text3 = nullptr;
    QRadioButton *Option1 = nullptr;
    QRadioButton *Option2 = nullptr;
    QProgressBar *ProgressBar1 = nullptr;
    CommonDialog CommonDialog1;

    static constexpr int kClientWidthTwips = 8040;
    static constexpr int kClientHeightTwips = 7635; // tall enough to show "Split Option"
    // The designed size, where the screen has room for it; the window opens at it.
    static QSize designSize();
    // The least size: the design with the list shorter, so the window fits small screens.
    static QSize leastSize();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void assignMnemonics();
    void buildControls();
    void buildListAndButtons();
    void buildOutputAndProgress();
    void buildOptions();
    void layOut();
    // The list's path column spans the list beside the plan, or more where the user widened it.
    void fitListColumn(int oldViewportWidth = -1);
    void wireKeyboardAndPointer();
    void connectHandlers();
    void loadHandCursor(const QString &path);
    QWidget *pointerControlAt(QWidget *widget) const;
    void removeSelectedRow();
    // Dialogs open where the user last worked with them (settings key), else in the home folder.
    QString dialogStartFolder(const QString &key) const;
    QString browseForFolder();
    bool listDragEvent(QEvent *event);

    Context &m_ctx;
    std::unique_ptr<FileListModel> m_files;
    WalkTurns m_turns;
    SkinFramework m_skin;
    std::optional<QCursor> m_handCursor;
    int m_mousePointer = 0;
    bool m_running = false;
    int m_importDepth = 0;  // folder imports in progress (a second one can start mid-walk)
    std::unique_ptr<SplitRun> m_activeRun; // the run in progress: Stop Splitting, closing mid-run
    std::shared_ptr<UnzipLibrary> m_archiveLibrary; // loaded once the window has settled
    void loadArchiveLibraryAhead();

    // Each row's plan in the list's second column (Form1_Plan.cpp).
    std::unique_ptr<PlanPreview> m_preview;
    void connectPlanPreview();
    // The split the fields ask for, as Start reads them; none while the field is not in range.
    std::optional<SplitChoice> planChoice() const;
    void replan();
    void planRows(int first, int last);
    void planAroundRun(bool running);
};

// Settings keys of the folders the dialogs last worked in.
constexpr QLatin1String kOpenFolderKey("Last Open Folder");
constexpr QLatin1String kBrowseFolderKey("Last Browse Folder");

// Twips (1/15 px at 96 dpi) to device-independent pixels.
constexpr int twips(int t) { return (t + 7) / 15; }

} // namespace qm
