#pragma once
// A notification with any number of connected handlers. Raising calls a copy of
// the handler list, so a handler may connect or disconnect others (or release
// the control) without invalidating the loop. A handler's exception reaches
// whoever raised the notification (let pass).
#include <functional>
#include <utility>
#include <vector>

namespace controls {

template <class... Args>
class Signal {
  public:
    using Handler = std::function<void(Args...)>;

    void Connect(Handler handler) {
        if (handler) handlers_.push_back(std::move(handler));
    }
    void Clear() { handlers_.clear(); }
    bool Empty() const { return handlers_.empty(); }

    void Raise(Args... args) const {
        const std::vector<Handler> handlers = handlers_;
        for (const auto& h : handlers) h(args...);
    }

  private:
    std::vector<Handler> handlers_;
};

}  // namespace controls
