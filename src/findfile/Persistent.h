// The base of the search component's configuration objects: a class name and a copying Assign
// that accepts only its own class.
#pragma once

#include <string>

namespace findfile {

class TPersistent {
  public:
    virtual ~TPersistent() = default;

    // The class name as the user sees it in an assignment error, e.g. "TSizeCriteria".
    virtual std::wstring ClassName() const = 0;
    // Copies every property of source; raises base::AssignError naming both classes when source
    // is not of this class.
    virtual void Assign(const TPersistent& source) = 0;

  protected:
    TPersistent() = default;
    TPersistent(const TPersistent&) = default;
    TPersistent& operator=(const TPersistent&) = default;

    // The source of an Assign as the class T, or the assignment error.
    template <class T>
    const T& AssignSource(const TPersistent& source) const {
        if (const auto* typed = dynamic_cast<const T*>(&source)) return *typed;
        RaiseAssignError(source);
    }

  private:
    [[noreturn]] void RaiseAssignError(const TPersistent& source) const;
};

}  // namespace findfile
