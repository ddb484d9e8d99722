#pragma once
// Typing in a number box waits for the typing to settle: every edit restarts the wait,
// and one pass is due once it has run out with nothing typed since. Times in milliseconds.
class SettleWait {
public:
    explicit SettleWait(long waitMs) : wait(waitMs) {}
    void Edit(long now) { lastEdit = now; }
    // True once per burst of edits, at the first call a whole wait after its last edit.
    bool Due(long now);
    // How long until the pass is due (at least 1); 0 when no edit waits.
    long Left(long now) const;

private:
    long wait;
    long lastEdit = -1;  // -1: nothing waits
};
