#include "ui/HelpSystem.h"

#include <algorithm>
#include <functional>

#include <shlwapi.h>

#include "ui/Application.h"
#include "ui/Window.h"

namespace ui {
namespace {

using Choices = std::vector<std::pair<std::wstring, std::shared_ptr<ICustomHelpViewer>>>;
using Ask = std::function<int(const std::vector<std::wstring>&)>;

// Sorts the choices by name; among several the answer of ask picks one by its index.
std::shared_ptr<ICustomHelpViewer> Choose(Choices choices, const Ask& ask) {
    if (choices.empty()) return nullptr;
    std::stable_sort(choices.begin(), choices.end(), [](const auto& a, const auto& b) {
        return lstrcmpiW(a.first.c_str(), b.first.c_str()) < 0;
    });
    if (choices.size() == 1) return choices.front().second;
    std::vector<std::wstring> names;
    for (const auto& choice : choices) names.push_back(choice.first);
    const int index = ask(names);
    if (index < 0 || std::size_t(index) >= choices.size()) return nullptr;
    return choices[std::size_t(index)].second;
}

}  // namespace

// The help file a request names stands in for the application's while the request runs.
class HelpSystem::RequestScope {
  public:
    RequestScope(HelpSystem& system, const std::wstring& file)
        : system_(system), previous_(std::exchange(system.requestFile_, file)) {}
    ~RequestScope() { system_.requestFile_ = std::move(previous_); }
    RequestScope(const RequestScope&) = delete;
    RequestScope& operator=(const RequestScope&) = delete;

  private:
    HelpSystem& system_;
    std::wstring previous_;
};

int LegacyHelpViewer::UnderstandsKeyword(const std::wstring& keyword) {
    return !tester_ || tester_->CanShowALink(keyword, HelpFile({})) ? 1 : 0;
}

std::vector<std::wstring> LegacyHelpViewer::GetHelpStrings(const std::wstring& keyword) {
    return {keyword};
}

bool LegacyHelpViewer::UnderstandsTopic(const std::wstring& topic) {
    return !tester_ || tester_->CanShowTopic(topic, HelpFile({}));
}

bool LegacyHelpViewer::UnderstandsContext(int contextId, const std::wstring& helpFileName) {
    return !tester_ || tester_->CanShowContext(contextId, HelpFile(helpFileName));
}

std::wstring LegacyHelpViewer::HelpFile(const std::wstring& named) const {
    std::wstring file = named.empty() ? system_.HelpFile() : named;
    if (tester_) {
        if (file.empty()) file = tester_->GetDefaultHelpFile();
        const std::wstring folder = tester_->GetHelpPath();
        if (!file.empty() && !folder.empty() && PathIsRelativeW(file.c_str())) {
            const bool separated = folder.back() == L'\\' || folder.back() == L'/';
            file = folder + (separated ? L"" : L"\\") + file;
        }
    }
    return file;
}

HelpSystem::HelpSystem() : legacy_(std::make_shared<LegacyHelpViewer>(*this)) {
    RegisterViewer(legacy_);
}

int HelpSystem::RegisterViewer(std::shared_ptr<ICustomHelpViewer> viewer) {
    // Numbers count from 1; a released number is given out again, so that a viewer that comes
    // back gets the place its selector counts on.
    int id = 1;
    auto place = viewers_.begin();
    while (place != viewers_.end() && place->id == id) ++place, ++id;
    viewers_.insert(place, Entry{id, viewer});
    viewer->NotifyID(id);
    return id;
}

void HelpSystem::Release(int viewerId) {
    std::erase_if(viewers_, [viewerId](const Entry& entry) { return entry.id == viewerId; });
}

std::vector<std::pair<int, std::shared_ptr<ICustomHelpViewer>>> HelpSystem::Viewers() const {
    std::vector<std::pair<int, std::shared_ptr<ICustomHelpViewer>>> result;
    for (const Entry& entry : viewers_) result.emplace_back(entry.id, entry.viewer);
    return result;
}

std::wstring HelpSystem::HelpFile() const {
    return requestFile_.empty() ? App().HelpFile() : requestFile_;
}

HWND HelpSystem::OwnerWindow() const {
    Window* main = App().MainWindow();
    return main != nullptr ? main->Handle() : nullptr;
}

bool HelpSystem::ShowTableOfContents() {
    RequestScope scope(*this, {});
    Choices choices;
    for (const Entry& entry : std::vector<Entry>(viewers_)) {
        if (entry.viewer->CanShowTableOfContents())
            choices.emplace_back(entry.viewer->GetViewerName(), entry.viewer);
    }
    // Without a selector the first name is taken.
    const auto chosen = Choose(std::move(choices), [selector = selector_](const auto& names) {
        return selector ? selector->TableOfContents(names) : 0;
    });
    if (!chosen) return false;
    chosen->ShowTableOfContents();
    return true;
}

bool HelpSystem::ShowKeywordHelp(const std::wstring& keyword) {
    RequestScope scope(*this, {});
    Choices choices;
    for (const Entry& entry : std::vector<Entry>(viewers_)) {
        if (entry.viewer->UnderstandsKeyword(keyword) <= 0) continue;
        for (std::wstring& text : entry.viewer->GetHelpStrings(keyword))
            choices.emplace_back(std::move(text), entry.viewer);
    }
    const auto chosen = Choose(std::move(choices), [selector = selector_](const auto& texts) {
        return selector ? selector->SelectKeyword(texts) : 0;
    });
    if (!chosen) return false;
    // The help strings only label the choices; the viewer is asked for the keyword itself.
    chosen->ShowHelp(keyword);
    return true;
}

template <class Test>
std::vector<std::shared_ptr<IExtendedHelpViewer>> HelpSystem::ExtendedViewers(Test test) const {
    std::vector<std::shared_ptr<IExtendedHelpViewer>> result;
    for (const Entry& entry : std::vector<Entry>(viewers_)) {
        auto extended = std::dynamic_pointer_cast<IExtendedHelpViewer>(entry.viewer);
        if (extended && test(*extended)) result.push_back(std::move(extended));
    }
    return result;
}

bool HelpSystem::ShowTopicHelp(const std::wstring& topic, const std::wstring& helpFile) {
    RequestScope scope(*this, helpFile);
    const auto viewers = ExtendedViewers([&](auto& v) { return v.UnderstandsTopic(topic); });
    if (viewers.empty()) return false;
    viewers.front()->DisplayTopic(topic);
    return true;
}

bool HelpSystem::ShowContextHelp(int contextId, const std::wstring& helpFile) {
    RequestScope scope(*this, helpFile);
    const auto viewers =
        ExtendedViewers([&](auto& v) { return v.UnderstandsContext(contextId, helpFile); });
    if (viewers.empty()) return false;
    viewers.front()->DisplayHelpByContext(contextId, helpFile);
    return true;
}

HelpSystem& Help() {
    static HelpSystem system;
    return system;
}

}  // namespace ui
