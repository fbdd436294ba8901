// The application's help system: the registered viewers, the selector that chooses among them,
// and the requests that reach them.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <windows.h>

#include "ui/HelpViewer.h"

namespace ui {

// The toolkit's older help format has no engine in this program. The viewer for it is still
// registered first, so that the numbers of the other viewers stay what their selectors expect,
// and a tester can tell it which requests to leave alone. What it claims, it shows nothing for.
class LegacyHelpViewer final : public IExtendedHelpViewer {
  public:
    explicit LegacyHelpViewer(HelpSystem& system) : system_(system) {}

    const std::shared_ptr<ILegacyHelpTester>& Tester() const noexcept { return tester_; }
    void SetTester(std::shared_ptr<ILegacyHelpTester> tester) { tester_ = std::move(tester); }
    int ViewerId() const noexcept { return viewerId_; }

    std::wstring GetViewerName() override { return {}; }
    int UnderstandsKeyword(const std::wstring& keyword) override;
    std::vector<std::wstring> GetHelpStrings(const std::wstring& keyword) override;
    bool CanShowTableOfContents() override { return true; }
    void ShowTableOfContents() override {}
    void ShowHelp(const std::wstring&) override {}
    void NotifyID(int viewerId) override { viewerId_ = viewerId; }
    void SoftShutDown() override {}
    void ShutDown() override {}
    bool UnderstandsTopic(const std::wstring& topic) override;
    void DisplayTopic(const std::wstring&) override {}
    bool UnderstandsContext(int contextId, const std::wstring& helpFileName) override;
    void DisplayHelpByContext(int, const std::wstring&) override {}

  private:
    // The file the tester is asked about: the one named, else the request's, else the tester's
    // default; a relative name is taken from the tester's help folder.
    std::wstring HelpFile(const std::wstring& named) const;

    HelpSystem& system_;
    std::shared_ptr<ILegacyHelpTester> tester_;
    int viewerId_ = 0;
};

class HelpSystem {
  public:
    // Registers the legacy viewer, which so becomes number 1.
    HelpSystem();
    HelpSystem(const HelpSystem&) = delete;
    HelpSystem& operator=(const HelpSystem&) = delete;

    // Gives the viewer the lowest free number (through NotifyID) and returns the number. The
    // viewer keeps the help system until it releases that number.
    int RegisterViewer(std::shared_ptr<ICustomHelpViewer> viewer);
    // Forgets the viewer with this number; unknown numbers are ignored.
    void Release(int viewerId);
    // The viewers in the order of their numbers.
    std::vector<std::pair<int, std::shared_ptr<ICustomHelpViewer>>> Viewers() const;

    const std::shared_ptr<IHelpSelector>& Selector() const noexcept { return selector_; }
    void SetSelector(std::shared_ptr<IHelpSelector> selector) { selector_ = std::move(selector); }
    LegacyHelpViewer& LegacyViewer() const noexcept { return *legacy_; }

    // The help file of the request being handled: the one the request names, else the
    // application's.
    std::wstring HelpFile() const;
    // The window that help windows belong to: the main window, or none before it exists.
    HWND OwnerWindow() const;

    // Each request goes to the one capable viewer, or to the selector's choice among several;
    // it returns false when no viewer took it.
    bool ShowTableOfContents();
    bool ShowKeywordHelp(const std::wstring& keyword);
    bool ShowTopicHelp(const std::wstring& topic, const std::wstring& helpFile = {});
    bool ShowContextHelp(int contextId, const std::wstring& helpFile = {});

  private:
    struct Entry {
        int id;
        std::shared_ptr<ICustomHelpViewer> viewer;
    };
    class RequestScope;

    // The extended viewers, in number order, that pass the test.
    template <class Test>
    std::vector<std::shared_ptr<IExtendedHelpViewer>> ExtendedViewers(Test test) const;

    std::vector<Entry> viewers_;
    std::shared_ptr<IHelpSelector> selector_;
    std::shared_ptr<LegacyHelpViewer> legacy_;
    std::wstring requestFile_;
};

// The application's help system, created on first request.
HelpSystem& Help();

}  // namespace ui
