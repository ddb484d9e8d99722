#pragma once
// What a click on a kind check box of the label dialog does to a label's kinds,
// and which texts may carry an axis-value kind. Kept free of the toolkit so the
// rules can be checked without a window.
#include <string>

// The kind bits after the user clicked the box of clickedBit, which now shows
// clickedState; currentKinds are the bits ticked before the click. The result is
// always either one of Text, Title, X legend, Y legend, or at most one X axis
// value kind plus at most one Y axis value kind, and never empty. Bits that are
// not label kinds are dropped.
int ApplyKindClick(int currentKinds, int clickedBit, bool clickedState);

// True when a number can be read from the start of text (leading blanks skipped,
// anything after the number ignored, "." as decimal point): "12 mm" is numeric,
// "abc" and "" are not.
bool IsNumericLabelText(const std::string& text);
