// Every text that a value box of the main window can be given, worked out
// from the value formatter and the setting-grid rules themselves, so that the
// windows can make each box wide enough for its longest text in the string
// table in use.
//
// Numbers are taken at the two ends of the 16-bit range under every input
// type and decimal point: a digit is as wide as any other, so no value gives
// a wider text. A choice item gives the name of every value that its
// selection dialog can store. The unit (item 65) is the operator's own text
// and is not among them.
#pragma once

#include <QStringList>

namespace qvx {

class StringTable;

// Texts of item k (0..66) of a channel (Disp_Data); empty for an index
// outside 0..66.
QStringList channelValueTexts(const StringTable& st, int k);

// Texts of item k (10..63) of the all-channels page (Disp_SelData); empty for
// an index outside 0..66.
QStringList pageValueTexts(const StringTable& st, int k);

// Reason texts of the setting grid: every one that any item can write to
// the numeric reason label settin_inf, or, with choiceLabel, every one that
// a choice item writes to its value label Select_comand.
QStringList gridReasonTexts(const StringTable& st, bool choiceLabel);

}  // namespace qvx
