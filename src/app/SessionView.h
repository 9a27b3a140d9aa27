#pragma once

namespace morvik {

// Which lists got other rows since the view last showed the session.
struct SessionChange {
    bool catalogueRows = false;
    bool addedRows = false;
};

// The window that shows an order session. The session calls it after every change and before
// every message to the operator, so that what the operator reads is never beside a stale window.
class SessionView {
  public:
    virtual ~SessionView() = default;
    // Show the whole state of the session now; `change` names the lists whose rows changed.
    virtual void SessionChanged(const SessionChange& change) = 0;
};

}  // namespace morvik
