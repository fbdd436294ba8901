// What the application's help system asks of the objects that show help.
#pragma once

#include <string>
#include <vector>

namespace ui {

class HelpSystem;

// A help viewer: one way of showing the program's help. The help system numbers the viewers it
// knows and hands each request to a viewer that says it can take it.
class ICustomHelpViewer {
  public:
    virtual ~ICustomHelpViewer() = default;

    // The name the user would choose the viewer by.
    virtual std::wstring GetViewerName() = 0;
    // How many help strings the viewer has for the keyword; 0 when it has none.
    virtual int UnderstandsKeyword(const std::wstring& keyword) = 0;
    // The entries the viewer would offer for the keyword in a choice list.
    virtual std::vector<std::wstring> GetHelpStrings(const std::wstring& keyword) = 0;
    virtual bool CanShowTableOfContents() = 0;
    virtual void ShowTableOfContents() = 0;
    // Shows the help for the keyword.
    virtual void ShowHelp(const std::wstring& keyword) = 0;
    // The number the help system gave the viewer when it was registered.
    virtual void NotifyID(int viewerId) = 0;
    // Closes what the viewer shows but keeps it usable.
    virtual void SoftShutDown() = 0;
    // The viewer is done: it closes what it shows and forgets the help system.
    virtual void ShutDown() = 0;
};

// A viewer that also shows named topics and context numbers.
class IExtendedHelpViewer : public ICustomHelpViewer {
  public:
    virtual bool UnderstandsTopic(const std::wstring& topic) = 0;
    virtual void DisplayTopic(const std::wstring& topic) = 0;
    virtual bool UnderstandsContext(int contextId, const std::wstring& helpFileName) = 0;
    virtual void DisplayHelpByContext(int contextId, const std::wstring& helpFileName) = 0;
};

// Chooses among several capable viewers. Each operation gets the choices sorted alphabetically
// and returns the index of the one to use, or -1 for none.
class IHelpSelector {
  public:
    virtual ~IHelpSelector() = default;
    virtual int SelectKeyword(const std::vector<std::wstring>& keywords) = 0;
    virtual int TableOfContents(const std::vector<std::wstring>& contents) = 0;
};

// Consulted by the legacy viewer before it claims a request.
class ILegacyHelpTester {
  public:
    virtual ~ILegacyHelpTester() = default;
    virtual bool CanShowALink(const std::wstring& link, const std::wstring& fileName) = 0;
    virtual bool CanShowTopic(const std::wstring& topic, const std::wstring& fileName) = 0;
    virtual bool CanShowContext(int contextId, const std::wstring& fileName) = 0;
    virtual std::vector<std::wstring> GetHelpStrings(const std::wstring& link) = 0;
    // The folder that relative help file names are taken from.
    virtual std::wstring GetHelpPath() = 0;
    // The help file used when a request names none.
    virtual std::wstring GetDefaultHelpFile() = 0;
};

}  // namespace ui
