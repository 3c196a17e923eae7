// Qt's X11 platform ends the program with exit() when the connection to the
// display breaks. main's objects are still alive then, but no destructor and no
// code after the event loop runs. While an ExitHook lives, its function runs
// when the program is ended by exit() or quick_exit(), on the thread that ended it.
#pragma once

#include <functional>

namespace vornik::gui {

class ExitHook {
  public:
    explicit ExitHook(std::function<void()> run);
    // Disarms the hook: the objects it uses go with the caller.
    ~ExitHook();
    ExitHook(const ExitHook&) = delete;
    ExitHook& operator=(const ExitHook&) = delete;

  private:
    std::function<void()> run_;
};

}  // namespace vornik::gui
