// The main window of Lumora: the two tabs on which the files are chosen, the panel with the texts,
// options, Start button and log, the menu and the status bar.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/FileList.h"
#include "app/FileListItems.h"
#include "app/ReplaceWindow.h"
#include "findfile/FindFile.h"
#include "shellctl/ShellList.h"
#include "shellctl/ShellTree.h"
#include "ui/ComboBox.h"
#include "ui/Controls.h"
#include "ui/DateTimePicker.h"
#include "ui/Font.h"
#include "ui/Form.h"
#include "ui/ImageList.h"
#include "ui/Memo.h"
#include "ui/PageControl.h"
#include "ui/SpinEdit.h"
#include "ui/Splitter.h"
#include "ui/StatusBar.h"

class ReplaceWorker;

namespace shellctl {
class TPTFolderBrowseDlg;
}

class SettingsStore;

// What the main window and its controls draw with. A base made before the window, so that it goes
// only after the window and every control are gone.
class TMainFormResources {
  public:
    TMainFormResources();
    // The images of the tabs, the menu and the browse button.
    std::unique_ptr<ui::ImageList> ImageList1;

  protected:
    base::FontHandle formFont_;
    base::FontHandle pageFont_;
    base::FontHandle panelFont_;
    base::IconHandle browseIcon_;
};

class TMainForm : public TMainFormResources, public ui::Form, public ReplaceWindow {
  public:
    TMainForm();
    ~TMainForm() override;

    // The run (MainFormRun.cpp): Start and Stop, and the file set of the active tab.
    void btnStartClick(ui::Window& Sender);
    void GetFilenames();
    void FindFile1FileMatch(findfile::TFindFile& Sender, const std::wstring& Folder,
                            const findfile::TSearchRec& FileInfo);
    void FindFile1SearchFinish(findfile::TFindFile& Sender);
    // The session is ending: a run in progress stops after its current file, the settings are
    // saved, and the window closes once the run has ended.
    void FormEndSession();

    // The settings (MainFormSettings.cpp): written on every close request, read when the window
    // is first shown, under HKEY_CURRENT_USER\SettingsKey().
    void SaveReg();
    void ReadReg();
    const std::wstring& SettingsKey() const noexcept { return settingsKey_; }
    void SetSettingsKey(std::wstring key) { settingsKey_ = std::move(key); }

    // Handlers, named after their component and event.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    void FormClose();
    void PageControl1Change(ui::Window& Sender);
    void ComboFilterChange(ui::Window& Sender);
    void PTShellList1Change(ui::Window& Sender);
    void btnSelectAllClick(ui::Window& Sender);
    void btnBrowseClick(ui::Window& Sender);
    void cbDateClick(ui::Window& Sender);
    void ADClick(ui::Window& Sender);
    void BDClick(ui::Window& Sender);
    void cbFileSizeClick(ui::Window& Sender);
    void SizeMinChange(ui::Window& Sender);
    void MenuItem_ExitClick(ui::MenuItem& Sender);
    void Help2Click(ui::MenuItem& Sender);
    void Website1Click(ui::MenuItem& Sender);
    void About1Click(ui::MenuItem& Sender);

    // A platform call a test cannot watch, replaceable: opening a web address.
    std::function<void(HWND owner, const std::wstring& address)> OpenWebAddress;

    // The layout, under the names the rest of the program uses.
    std::unique_ptr<ui::Panel> TopRule;
    std::unique_ptr<ui::StatusBar> StatusBar;
    std::unique_ptr<ui::Panel> PanelRight;
    std::unique_ptr<ui::Splitter> Splitter2;
    std::unique_ptr<ui::PageControl> PageControl1;
    ui::TabSheet* TabSheet1 = nullptr;
    ui::TabSheet* TabSheet2 = nullptr;
    // "Select files"
    std::unique_ptr<shellctl::TPTShellTree> PTShellTree1;
    std::unique_ptr<ui::Splitter> Splitter1;
    std::unique_ptr<shellctl::TPTShellList> PTShellList1;
    std::unique_ptr<ui::Panel> PanelFilter;
    std::unique_ptr<ui::ComboBox> ComboFilter;
    // "Scan folder(s)"
    std::unique_ptr<ui::Label> lblStartFolder;
    std::unique_ptr<ui::ComboBox> editFolder;
    std::unique_ptr<ui::Button> btnBrowse;
    std::unique_ptr<ui::CheckBox> cbSubFolders;
    std::unique_ptr<ui::Label> lblFileTypes;
    std::unique_ptr<ui::ComboBox> comboFileExt;
    std::unique_ptr<ui::Label> lblFileTypesHint;
    std::unique_ptr<ui::CheckBox> cbFileSize;
    std::unique_ptr<ui::Label> lblAtLeast;
    std::unique_ptr<ui::SpinEdit> SizeMin;
    std::unique_ptr<ui::Label> lblAtMost;
    std::unique_ptr<ui::SpinEdit> SizeMax;
    std::unique_ptr<ui::Label> lblKB;
    std::unique_ptr<ui::CheckBox> cbDate;
    std::unique_ptr<ui::ComboBox> comboDateRange;
    std::unique_ptr<ui::CheckBox> AD;
    std::unique_ptr<ui::DateTimePicker> AfterDate;
    std::unique_ptr<ui::CheckBox> BD;
    std::unique_ptr<ui::DateTimePicker> BeforeDate;
    // The right panel
    std::unique_ptr<ui::Panel> PanelTopOnRigthSide;
    std::unique_ptr<ui::Label> lblFind;
    std::unique_ptr<ui::ComboBox> edtFind;
    std::unique_ptr<ui::Label> lblReplace;
    std::unique_ptr<ui::ComboBox> edtReplace;
    std::unique_ptr<ui::CheckBox> cbCase;
    std::unique_ptr<ui::CheckBox> cbWhole;
    std::unique_ptr<ui::CheckBox> cbBackup;
    std::unique_ptr<ui::Button> btnStart;
    std::unique_ptr<ui::Button> btnSelectAll;
    std::unique_ptr<ui::ComboBox> cbExtension;
    std::unique_ptr<ui::Label> Label1;
    std::unique_ptr<ui::Memo> memLog;
    // File › Exit; Help › Help, Website, About
    ui::MenuItem* MenuItem_Exit = nullptr;
    ui::MenuItem* Help2 = nullptr;
    ui::MenuItem* Website1 = nullptr;
    ui::MenuItem* About1 = nullptr;

    // The search of "Scan folder(s)", and the dialog that picks its start folder.
    std::unique_ptr<findfile::TFindFile> FindFile1;
    std::unique_ptr<shellctl::TPTFolderBrowseDlg> PTFolderBrowseDlg1;
    // The file set of a run: full paths in the order they were gathered.
    TFileList FileList;

    // What the replacement pass reads and asks of the window.
    std::wstring TextToFind() const override;
    std::wstring ReplacementText() const override;
    bool CaseSensitive() const override;
    bool WholeWordsOnly() const override;
    bool MakeBackup() const override;
    bool AskYesNo(const std::wstring& caption, const std::wstring& text) override;
    void AddLogLine(const std::wstring& line) override;
    void AddLogLines(const std::vector<std::wstring>& lines) override;

  protected:
    LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
    void DoShow() override;
    bool DoCloseQuery() override;
    void DoClose() override;

  private:
    void BuildLayout();
    void BuildSelectFilesTab();
    void BuildShellTree(ui::Window& page);
    void BuildShellList(ui::Window& page);
    void BuildScanTab();
    void BuildRightPanel();
    void BuildMenu();
    void BindEvents();
    std::wstring SelectedFilesText() const;
    void SetDateBounds(findfile::TDateTimeCriteria& dates) const;
    void RunScan();
    void RunPass();
    void StopRun();
    // Whether the size bounds read as whole numbers, as the scan needs them when they are on.
    bool SizeBoundsAreNumbers() const;
    // Parts of ReadReg and SaveReg.
    void ReadWindowSettings(const SettingsStore& store);
    void ReadPlaces(const SettingsStore& store);
    void ApplyWidth(int width);
    void ApplyHeight(int height);
    void ApplyTreeHeight(int height);
    RECT RestoredBounds() const;
    // The shell tree's folder and the shell list's column widths, as the settings see them.
    std::wstring TreeFolderPath() const;
    void OpenTreeAt(const std::wstring& path);
    std::vector<int> ListColumnWidths() const;
    void RememberColumnWidth(int column, int width);

    std::wstring settingsKey_;
    std::unique_ptr<TFileListItems> shellListItems_;
    TFileListItems* fileListItems_ = nullptr;
    // Set while "Select all" changes many items: the status is shown once, at the end.
    bool selectingAll_ = false;
    // The pass of the run, while it runs.
    ReplaceWorker* pass_ = nullptr;
    // A close request came during a run: the run was stopped and the window closes after it.
    bool closeAfterRun_ = false;
};
