// The state of an up-down control: its range, its position, and the step an arrow press
// proposes. The range may run either way (the default one, 100 down to 0, does: the up arrow
// moves towards the upper end whichever way round the ends are).
#pragma once

#include <optional>
#include <string>

#include "wintypes.h"

namespace qx::win32::commctrl {

class UpDownModel {
public:
    int Lower() const { return lower_; }
    int Upper() const { return upper_; }
    int Position() const { return position_; }
    void SetWrap(bool wrap) { wrap_ = wrap; }

    // Sets the ends as given and pulls the position into the new range.
    void SetRange(int lower, int upper);
    // Sets the position clamped to the range; returns the previous one.
    int SetPosition(int position);

    // The change an arrow press proposes: +1 or -1 towards the pressed end.
    int ProposedDelta(bool up) const;
    // Where a change of `delta` from the current position lands: clamped to the range, or
    // wrapped round to the other end with UDS_WRAP when it goes past an end.
    int Landing(int delta) const;

private:
    int Clamp(int value) const;

    int lower_ = 100;
    int upper_ = 0;
    int position_ = 0;
    bool wrap_ = false;
};

// The text a buddy shows for a position, with thousands separators unless they are turned off.
std::u16string UpDownBuddyText(int position, bool thousands);
// The position a buddy's text stands for: decimal digits with an optional sign and thousands
// separators, blanks around; nullopt when the text is not such a number.
std::optional<int> ParseUpDownBuddyText(std::u16string_view text);

} // namespace qx::win32::commctrl
