#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/HelpSystem.h"

namespace {

using Strings = std::vector<std::wstring>;

// Records what it is asked to show, with the help file of the request it ran in.
class FakeViewer : public ui::IExtendedHelpViewer {
  public:
    FakeViewer(ui::HelpSystem& system, std::wstring name, bool capable)
        : system_(system), name_(std::move(name)), capable_(capable) {}
    Strings shown;
    int id = 0;

    std::wstring GetViewerName() override { return name_; }
    int UnderstandsKeyword(const std::wstring&) override { return capable_ ? 1 : 0; }
    Strings GetHelpStrings(const std::wstring& keyword) override {
        return {name_ + L": " + keyword};
    }
    bool CanShowTableOfContents() override { return capable_; }
    void ShowTableOfContents() override { Record(L"contents"); }
    void ShowHelp(const std::wstring& keyword) override { Record(L"keyword " + keyword); }
    void NotifyID(int viewerId) override { id = viewerId; }
    void SoftShutDown() override {}
    void ShutDown() override {}
    bool UnderstandsTopic(const std::wstring&) override { return capable_; }
    void DisplayTopic(const std::wstring& topic) override { Record(L"topic " + topic); }
    bool UnderstandsContext(int, const std::wstring&) override { return capable_; }
    void DisplayHelpByContext(int id, const std::wstring&) override {
        Record(L"context " + std::to_wstring(id));
    }

  private:
    void Record(const std::wstring& what) { shown.push_back(what + L" in " + system_.HelpFile()); }
    ui::HelpSystem& system_;
    std::wstring name_;
    bool capable_;
};

struct FakeSelector : ui::IHelpSelector {
    explicit FakeSelector(int answer) : answer(answer) {}
    int answer;
    std::vector<Strings> asked;
    int SelectKeyword(const Strings& list) override { return asked.push_back(list), answer; }
    int TableOfContents(const Strings& list) override { return asked.push_back(list), answer; }
};

class HelpSystemTest : public testing::Test {
  protected:
    HelpSystemTest() : savedHelpFile_(ui::App().HelpFile()) {
        ui::App().SetHelpFile(L"C:\\App\\App.chm");
    }
    ~HelpSystemTest() override { ui::App().SetHelpFile(savedHelpFile_); }

    std::shared_ptr<FakeViewer> Register(const std::wstring& name, bool capable = true) {
        auto viewer = std::make_shared<FakeViewer>(help, name, capable);
        help.RegisterViewer(viewer);
        return viewer;
    }

    ui::HelpSystem help;

  private:
    std::wstring savedHelpFile_;
};

TEST_F(HelpSystemTest, NumbersViewersFromOneAfterTheLegacyViewerAndReusesReleasedNumbers) {
    EXPECT_EQ(help.LegacyViewer().ViewerId(), 1);
    auto a = Register(L"A");
    auto b = Register(L"B");
    EXPECT_EQ(a->id, 2);
    EXPECT_EQ(b->id, 3);
    help.Release(a->id);
    help.Release(42);  // unknown: ignored
    EXPECT_EQ(Register(L"C")->id, 2);
    EXPECT_EQ(help.Viewers().size(), 3u);
}

TEST_F(HelpSystemTest, SelectorChoosesAmongTheSortedNamesOfCapableViewers) {
    auto zeta = Register(L"Zeta");
    auto never = Register(L"Never", false);
    auto alpha = Register(L"alpha");
    auto selector = std::make_shared<FakeSelector>(2);
    help.SetSelector(selector);

    EXPECT_TRUE(help.ShowTableOfContents());
    EXPECT_EQ(selector->asked.at(0), (Strings{L"", L"alpha", L"Zeta"}));
    // Keywords are chosen by their help strings; the chosen viewer gets the keyword itself.
    EXPECT_TRUE(help.ShowKeywordHelp(L"log"));
    EXPECT_EQ(selector->asked.at(1), (Strings{L"alpha: log", L"log", L"Zeta: log"}));
    EXPECT_EQ(zeta->shown,
              (Strings{L"contents in C:\\App\\App.chm", L"keyword log in C:\\App\\App.chm"}));
    EXPECT_TRUE(alpha->shown.empty());
    EXPECT_TRUE(never->shown.empty());

    // An answer outside the list shows nothing.
    selector->answer = 3;
    EXPECT_FALSE(help.ShowTableOfContents());
    selector->answer = -1;
    EXPECT_FALSE(help.ShowKeywordHelp(L"log"));
    EXPECT_EQ(zeta->shown.size(), 2u);
}

TEST_F(HelpSystemTest, RequestsNameTheirHelpFileAndTheLegacyViewerDefersToItsTester) {
    struct Declining : ui::ILegacyHelpTester {
        Strings files;
        bool CanShowALink(const std::wstring&, const std::wstring& f) override { return Ask(f); }
        bool CanShowTopic(const std::wstring&, const std::wstring& f) override { return Ask(f); }
        bool CanShowContext(int, const std::wstring& f) override { return Ask(f); }
        Strings GetHelpStrings(const std::wstring&) override { return {}; }
        std::wstring GetHelpPath() override { return L"C:\\Help"; }
        std::wstring GetDefaultHelpFile() override { return L"Default.hlp"; }
        bool Ask(const std::wstring& file) { return files.push_back(file), false; }
    };
    auto tester = std::make_shared<Declining>();
    help.LegacyViewer().SetTester(tester);
    auto viewer = Register(L"Html");

    EXPECT_TRUE(help.ShowTopicHelp(L"log.htm", L"D:\\Other.chm"));
    EXPECT_TRUE(help.ShowContextHelp(7));
    EXPECT_EQ(viewer->shown,
              (Strings{L"topic log.htm in D:\\Other.chm", L"context 7 in C:\\App\\App.chm"}));
    ui::App().SetHelpFile(L"");
    EXPECT_TRUE(help.ShowKeywordHelp(L"x"));
    EXPECT_EQ(tester->files,
              (Strings{L"D:\\Other.chm", L"C:\\App\\App.chm", L"C:\\Help\\Default.hlp"}));

    // Alone, the legacy viewer claims only what its tester lets it claim.
    help.Release(viewer->id);
    EXPECT_FALSE(help.ShowTopicHelp(L"log.htm"));
    EXPECT_FALSE(help.ShowContextHelp(7));
    EXPECT_FALSE(help.ShowKeywordHelp(L"x"));
    help.LegacyViewer().SetTester(nullptr);
    EXPECT_TRUE(help.ShowContextHelp(7));
}

}  // namespace
