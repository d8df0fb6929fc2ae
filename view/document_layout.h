// Measuring the document into the view's totals: all of it, or only the lines a load has added
// since it was last measured, so that the end of a load has only its last lines left to measure.
// Both keep totalRows, maxLineWidth, vScroll (on the same top row) and topRow as measuring the
// whole document would. Window-free: the viewport sets the scroll bars and repaints.
#pragma once

// Measures every line. The caller holds the document lock.
void MeasureDocument();

// While a load runs, measures the lines from where the last measuring stopped up to the one the
// loader fills; once the loader has read to the end, all the rest. It takes the lock itself, only
// to find where to stop and to set the totals: the lines the loader will not touch again are
// measured without it, so the loader is not held up (unless the caller holds it). False when
// nothing was measured (no load runs, or no line was added).
bool MeasureArrivedLines();
