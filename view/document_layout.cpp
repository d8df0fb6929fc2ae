#include "view/document_layout.h"
#include "document/background_load.h"
#include "document/document_lock.h"
#include "document/editor_record.h"
#include "document/text_line.h"
#include "layout/row_layout.h"

namespace {

// While a load runs: every line before this one has been measured. It is the line the loader
// was filling when the measuring stopped, which may have grown since, so it is measured again.
// It belongs to the load ResumeLoad counts; another load starts from the first line.
TextLine* Resume = nullptr;
unsigned ResumeLoad = 0;

struct Totals {
    int changes;
    int changesAboveTop;
    int widest;
    bool metTop;
    TextLine* last;  // the last line measured
};

// Measures the lines from first up to stop (null: to the end).
Totals Measure(TextLine* first, TextLine* stop)
{
    LayoutRect rect = {0, 0, View.clientWidth, View.clientHeight};
    Totals totals = {0, 0, 0, false, nullptr};
    for (TextLine* line = first; line != stop; line = line->next) {
        if (line == View.topLine) {
            totals.changesAboveTop = totals.changes;
            totals.metTop = true;
        }
        LineMeasure measure = MeasureLine(*line, rect);
        totals.changes += measure.rowDelta;
        if (measure.extent > totals.widest)
            totals.widest = measure.extent;
        totals.last = line;
    }
    return totals;
}

void Apply(const Totals& totals, bool whole)
{
    // Rows gained or lost above the top keep vScroll on the same top row.
    View.vScroll += totals.changesAboveTop;
    View.totalRows += totals.changes;
    if (whole || totals.widest > View.maxLineWidth)
        View.maxLineWidth = totals.widest;
    if (View.topLine != nullptr && View.topRow > View.topLine->rowCount)
        View.topRow = View.topLine->rowCount;
}

}

void MeasureDocument()
{
    Apply(Measure(View.firstLine, nullptr), true);
    Resume = LoadInProgress() ? LineBeingLoaded() : nullptr;
    ResumeLoad = LoadsStarted();
}

bool MeasureArrivedLines()
{
    TextLine* first;
    TextLine* stop;
    bool topFromStop = false;
    {
        DocumentGuard guard;
        if (!LoadInProgress())
            return false;
        first = Resume != nullptr && ResumeLoad == LoadsStarted() ? Resume : View.firstLine;
        if (LoadReadToEnd()) {
            // The window may ask again before it finishes the load; then only the last line is
            // measured again.
            Totals totals = Measure(first, nullptr);
            Apply(totals, false);
            Resume = totals.last != nullptr ? totals.last : first;
            ResumeLoad = LoadsStarted();
            return true;
        }
        stop = LineBeingLoaded();
        if (stop == nullptr || first == stop)
            return false;
        // Lines after the loader's are those the user broke off it: few.
        for (TextLine* line = stop; line != nullptr; line = line->next)
            topFromStop = topFromStop || line == View.topLine;
    }
    // Only this thread changes the lines before the loader's, and nothing else runs on it now.
    Totals totals = Measure(first, stop);
    if (!totals.metTop && topFromStop)
        totals.changesAboveTop = totals.changes;
    DocumentGuard guard;
    Apply(totals, false);
    Resume = stop;
    ResumeLoad = LoadsStarted();
    return true;
}
