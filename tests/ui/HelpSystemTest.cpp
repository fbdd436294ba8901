#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ui/Application.h"
#include "ui/HelpSystem.h"

namespace {

using Strings = std::vector<std::wstring>;

// A viewer that records what it is asked to show, and the help file of the request it ran in.
class FakeViewer : public ui::IExtendedHelpViewer {
  public:
    FakeViewer(ui::HelpSystem& system, std::wstring name, bool capable = true)
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
    void DisplayHelpByContext(int contextId, const std::wstring& file) override {
        Record(L"context " + std::to_wstring(contextId) + L" " + file);
    }

  private:
    void Record(const std::wstring& what) { shown.push_back(what + L" in " + system_.HelpFile()); }

    ui::HelpSystem& system_;
    std::wstring name_;
    bool capable_;
};

// Answers with a fixed index and keeps the lists it was shown.
class FakeSelector : public ui::IHelpSelector {
  public:
    explicit FakeSelector(int answer) : answer_(answer) {}
    std::vector<Strings> asked;
    int SelectKeyword(const Strings& keywords) override { return Ask(keywords); }
    int TableOfContents(const Strings& contents) override { return Ask(contents); }

  private:
    int Ask(const Strings& list) {
        asked.push_back(list);
        return answer_;
    }
    int answer_;
};

class Tester : public ui::ILegacyHelpTester {
  public:
    explicit Tester(bool accept) : accept_(accept) {}
    Strings files;
    bool CanShowALink(const std::wstring&, const std::wstring& file) override { return Ask(file); }
    bool CanShowTopic(const std::wstring&, const std::wstring& file) override { return Ask(file); }
    bool CanShowContext(int, const std::wstring& file) override { return Ask(file); }
    Strings GetHelpStrings(const std::wstring&) override { return {}; }
    std::wstring GetHelpPath() override { return L"C:\\Help"; }
    std::wstring GetDefaultHelpFile() override { return L"Default.hlp"; }

  private:
    bool Ask(const std::wstring& file) {
        files.push_back(file);
        return accept_;
    }
    bool accept_;
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
    EXPECT_EQ(help.LegacyViewer().GetViewerName(), L"");
    auto a = Register(L"A");
    auto b = Register(L"B");
    EXPECT_EQ(a->id, 2);
    EXPECT_EQ(b->id, 3);

    help.Release(a->id);
    help.Release(42);  // unknown: ignored
    ASSERT_EQ(help.Viewers().size(), 2u);
    auto c = Register(L"C");
    EXPECT_EQ(c->id, 2);
    EXPECT_EQ(help.Viewers()[1].second, c);
}

TEST_F(HelpSystemTest, SelectorChoosesAmongTheSortedNamesOfCapableViewers) {
    auto zeta = Register(L"Zeta");
    auto never = Register(L"Never", false);
    auto alpha = Register(L"alpha");
    auto selector = std::make_shared<FakeSelector>(2);
    help.SetSelector(selector);

    EXPECT_TRUE(help.ShowTableOfContents());
    ASSERT_EQ(selector->asked.size(), 1u);
    EXPECT_EQ(selector->asked[0], (Strings{L"", L"alpha", L"Zeta"}));
    EXPECT_EQ(zeta->shown, (Strings{L"contents in C:\\App\\App.chm"}));

    // Keywords are chosen by their help strings; the chosen viewer gets the keyword itself.
    EXPECT_TRUE(help.ShowKeywordHelp(L"log"));
    EXPECT_EQ(selector->asked[1], (Strings{L"alpha: log", L"log", L"Zeta: log"}));
    EXPECT_EQ(zeta->shown.back(), L"keyword log in C:\\App\\App.chm");
    EXPECT_TRUE(alpha->shown.empty());
    EXPECT_TRUE(never->shown.empty());

    // An answer outside the list shows nothing.
    help.SetSelector(std::make_shared<FakeSelector>(3));
    EXPECT_FALSE(help.ShowTableOfContents());
    help.SetSelector(std::make_shared<FakeSelector>(-1));
    EXPECT_FALSE(help.ShowKeywordHelp(L"log"));
    EXPECT_EQ(zeta->shown.size(), 2u);
}

TEST_F(HelpSystemTest, LegacyViewerLeavesToOtherViewersWhatItsTesterDeclines) {
    auto viewer = Register(L"Html");
    auto declining = std::make_shared<Tester>(false);
    help.LegacyViewer().SetTester(declining);

    // The first capable viewer takes topics and contexts; the request's file stands in for the
    // application's while it runs.
    EXPECT_TRUE(help.ShowTopicHelp(L"options.htm"));
    EXPECT_TRUE(help.ShowContextHelp(7, L"D:\\Other.chm"));
    EXPECT_TRUE(help.ShowTopicHelp(L"log.htm", L"D:\\Other.chm"));
    EXPECT_EQ(viewer->shown, (Strings{L"topic options.htm in C:\\App\\App.chm",
                                      L"context 7 D:\\Other.chm in D:\\Other.chm",
                                      L"topic log.htm in D:\\Other.chm"}));
    EXPECT_EQ(help.HelpFile(), L"C:\\App\\App.chm");
    // The tester is asked about the request's file, a relative default taken from its folder.
    EXPECT_EQ(declining->files[0], L"C:\\App\\App.chm");
    EXPECT_EQ(declining->files[1], L"D:\\Other.chm");
    ui::App().SetHelpFile(L"");
    EXPECT_TRUE(help.ShowKeywordHelp(L"x"));
    EXPECT_EQ(declining->files.back(), L"C:\\Help\\Default.hlp");

    // Alone, the legacy viewer claims what an accepting tester (or no tester) lets it claim.
    help.Release(viewer->id);
    EXPECT_FALSE(help.ShowTopicHelp(L"options.htm"));
    EXPECT_FALSE(help.ShowContextHelp(7));
    EXPECT_FALSE(help.ShowKeywordHelp(L"x"));
    help.LegacyViewer().SetTester(std::make_shared<Tester>(true));
    EXPECT_TRUE(help.ShowTopicHelp(L"options.htm"));
    help.LegacyViewer().SetTester(nullptr);
    EXPECT_TRUE(help.ShowContextHelp(7));
    EXPECT_TRUE(help.ShowTableOfContents());
}

}  // namespace
