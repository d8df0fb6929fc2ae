#include "document/undo_log.h"

#include <new>
#include <utility>

UndoLog::UndoLog() : current(0), saved(0), sealed(true), groupDepth(0), groupStarted(false) {}

void UndoLog::Clear()
{
    std::vector<UndoStep>().swap(steps);
    current = 0;
    saved = 0;
    sealed = true;
    groupDepth = 0;
    groupStarted = false;
}

bool UndoLog::Joins(const UndoStep& last, const UndoStep& step) const
{
    // Joining the step that leads to the saved state would change that state.
    if (sealed || step.withPrevious || last.kind != step.kind || saved == static_cast<long>(current))
        return false;
    if (step.start.line != last.start.line || step.caretBefore.line != last.caretAfter.line ||
        step.caretBefore.pos != last.caretAfter.pos)
        return false;
    switch (step.kind) {
    case EditTyping:
        return step.start.pos == last.start.pos + static_cast<int>(last.inserted.size());
    case EditBackspace:
        return step.inserted.empty() && last.inserted.empty() &&
               step.start.pos + static_cast<int>(step.removed.size()) == last.start.pos;
    case EditDelete:
        return step.inserted.empty() && last.inserted.empty() && step.start.pos == last.start.pos;
    case EditOther:
    case EditCode:
        break;
    }
    return false;
}

// Room for both strings first, so that the appends below cannot fail: a join is made whole or not
// at all, and Record may try it again after dropping old steps.
void UndoLog::Join(UndoStep& last, const UndoStep& step)
{
    last.removed.reserve(last.removed.size() + step.removed.size());
    last.inserted.reserve(last.inserted.size() + step.inserted.size());
    if (step.kind == EditBackspace) {
        last.removed.insert(0, step.removed);
        last.start = step.start;
    } else {
        last.removed += step.removed;
        last.inserted += step.inserted;
    }
    last.caretAfter = step.caretAfter;
    last.anchorAfter = step.anchorAfter;
}

void UndoLog::DropOldest(size_t count)
{
    if (count > current)
        count = current;
    steps.erase(steps.begin(), steps.begin() + static_cast<long>(count));
    current -= count;
    // A group cut at its start simply begins later.
    if (!steps.empty())
        steps.front().withPrevious = false;
    if (saved >= 0)
        saved = saved >= static_cast<long>(count) ? saved - static_cast<long>(count) : -1;
}

void UndoLog::Record(UndoStep& step)
{
    if (steps.size() > current) {
        steps.erase(steps.begin() + static_cast<long>(current), steps.end());
        if (saved > static_cast<long>(current))
            saved = -1;
    }
    step.withPrevious = groupDepth > 0 && groupStarted;
    if (groupDepth > 0)
        groupStarted = true;
    for (;;) {
        try {
            if (!steps.empty() && Joins(steps.back(), step))
                Join(steps.back(), step);
            else
                steps.push_back(std::move(step));
            current = steps.size();
            sealed = false;
            return;
        } catch (const std::bad_alloc&) {
            if (current == 0)
                break;
            DropOldest((current + 1) / 2);
        }
    }
    // Not even this step fits: the edit stands, but nothing before it can be undone any more.
    Abandon();
}

void UndoLog::Abandon()
{
    int depth = groupDepth;
    Clear();
    saved = -1;
    // The edits still to come in a group make a group of their own.
    groupDepth = depth;
}

void UndoLog::Seal()
{
    sealed = true;
}

void UndoLog::BeginGroup()
{
    if (groupDepth++ == 0)
        groupStarted = false;
    sealed = true;
}

void UndoLog::EndGroup()
{
    if (groupDepth > 0)
        --groupDepth;
    sealed = true;
}

bool UndoLog::CanUndo() const
{
    return current > 0;
}

bool UndoLog::CanRedo() const
{
    return current < steps.size();
}

const UndoStep& UndoLog::NextUndo() const
{
    return steps[current - 1];
}

void UndoLog::StepBack()
{
    --current;
    sealed = true;
}

const UndoStep& UndoLog::NextRedo() const
{
    return steps[current];
}

void UndoLog::StepForward()
{
    ++current;
    sealed = true;
}

void UndoLog::MarkSaved()
{
    saved = static_cast<long>(current);
    sealed = true;
}

bool UndoLog::AtSaved() const
{
    return saved == static_cast<long>(current);
}

size_t UndoLog::Bytes() const
{
    size_t bytes = steps.capacity() * sizeof(UndoStep);
    for (const UndoStep& step : steps)
        bytes += step.removed.capacity() + step.inserted.capacity();
    return bytes;
}
