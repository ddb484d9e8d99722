#pragma once
// Linear undo history of snapshots. Entries are the states before each action;
// Undo walks back one action, Redo forward; a new action after an Undo drops the
// redo branch. Capped at kMaxEntries snapshots and kMaxBytes of snapshot data
// (oldest dropped first), so a large chart with many patches cannot exhaust memory.
// State needs ApproxBytes(), its rough heap size.
#include <cstddef>
#include <deque>

template <class State>
class EditHistory {
public:
    static constexpr std::size_t kMaxEntries = 200;
    static constexpr std::size_t kMaxBytes = 256u * 1024 * 1024;

    void Clear() {
        entries.clear();
        position = 0;
        bytes = 0;
    }
    // Records the state before an action.
    void Record(State before) {
        while (entries.size() > position) {
            bytes -= entries.back().ApproxBytes();
            entries.pop_back();
        }
        bytes += before.ApproxBytes();
        entries.push_back(std::move(before));
        position = entries.size();
        Trim();
    }
    bool CanUndo() const { return position > 0; }
    bool CanRedo() const { return position + 1 < entries.size(); }
    // Steps back: restore receives the state to go to; current is the state now (kept for Redo).
    bool Undo(const State& current, State& restore) {
        if (position == 0) return false;
        if (position == entries.size()) {
            bytes += current.ApproxBytes();
            entries.push_back(current);
        }
        --position;
        restore = entries[position];
        Trim();
        return true;
    }
    bool Redo(State& restore) {
        if (position + 1 >= entries.size()) return false;
        ++position;
        restore = entries[position];
        return true;
    }
    std::size_t Size() const { return entries.size(); }
    std::size_t Position() const { return position; }

private:
    void Trim() {
        while (entries.size() > 1 && (entries.size() > kMaxEntries || bytes > kMaxBytes) && position > 0) {
            bytes -= entries.front().ApproxBytes();
            entries.pop_front();
            --position;
        }
    }
    std::deque<State> entries;
    std::size_t position = 0;
    std::size_t bytes = 0;
};
