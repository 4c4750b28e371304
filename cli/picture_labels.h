// The texts inside the session picture's frame: each band's frequency, each
// break's text (or its number), each file's name, never one on another.
#pragma once

#include <string>
#include <vector>

#include "cli/picture_layout.h"
#include "cli/picture_text.h"
#include "cli/session_picture.h"

namespace kalimber {

// The texts set inside the frame so far, by rows of the page, so that a new
// one goes only where no other lies.
class TextPlaces {
public:
    bool Free(const TextBox& box) const;
    void Take(const TextBox& box);

private:
    static int RowOf(int y) { return y > 0 ? y / 32 : 0; }
    std::vector<std::vector<TextBox>> rows_;
};

// Each band's frequency just above its first bar, or just below it.
void LabelBands(std::string& out, const PictureLayout& layout, TextPlaces& places);

// A red bar over each break, and its text where it finds room near it;
// returns the rest, numbered, as lines for the list under the legend.
std::vector<std::string> DrawMarks(std::string& out, const SessionPicture& picture, const PictureLayout& layout,
                                   TextPlaces& places);

// A file's name inside its bar, where the bar is wide and high enough and
// no other text lies there.
void NameBars(std::string& out, const SessionPicture& picture, const PictureLayout& layout, TextPlaces& places);

}  // namespace kalimber
