// Scopes the shell tree's source files share: the update lock, the held node updates, and a
// guard that runs on every path out.
#pragma once

#include <utility>

#include "shellctl/ShellTree.h"

namespace shellctl {

// While held, selection changes do not reach the list, the current folder does not navigate
// and navigation requests are ignored.
class TPTCustomShellTree::UpdateLockScope {
  public:
    explicit UpdateLockScope(TPTCustomShellTree& tree) noexcept : tree_(tree) {
        ++tree_.updateLock_;
    }
    ~UpdateLockScope() { --tree_.updateLock_; }
    UpdateLockScope(const UpdateLockScope&) = delete;
    UpdateLockScope& operator=(const UpdateLockScope&) = delete;

  private:
    TPTCustomShellTree& tree_;
};

// Holds the control's drawing while nodes change; the outermost scope draws once at its end.
class TPTCustomShellTree::NodeUpdateScope {
  public:
    explicit NodeUpdateScope(TPTCustomShellTree& tree) : tree_(tree) {
        if (tree_.nodeUpdates_++ == 0 && tree_.Handle() != nullptr) tree_.Send(WM_SETREDRAW, FALSE);
    }
    ~NodeUpdateScope() {
        if (--tree_.nodeUpdates_ == 0 && tree_.Handle() != nullptr) {
            tree_.Send(WM_SETREDRAW, TRUE);
            tree_.Invalidate();
        }
    }
    NodeUpdateScope(const NodeUpdateScope&) = delete;
    NodeUpdateScope& operator=(const NodeUpdateScope&) = delete;

  private:
    TPTCustomShellTree& tree_;
};

// Runs on every path out of a scope.
template <class F>
class Finally {
  public:
    explicit Finally(F f) : f_(std::move(f)) {}
    ~Finally() { f_(); }
    Finally(const Finally&) = delete;
    Finally& operator=(const Finally&) = delete;

  private:
    F f_;
};

}  // namespace shellctl
