// Keys of the icon view's items.
#pragma once

#include <string>

namespace zol {

// ZeroPad(row, 4) + " " + ZeroPad(outlet, 4): "0007 0003".
std::string ItemKey(int row, int outlet);

// ItemKey + " " + the icon's image: "0007 0003 2". The device window reads
// the row from characters 1-4, the outlet from 6-9 and the image from 11-12.
std::string ItemWindowKey(const std::string& key, int image);

// Row and outlet of a key (characters 1-4 and 6-9 as decimal numbers).
int KeyRow(const std::string& key, int def);
int KeyOutlet(const std::string& key, int def);

}  // namespace zol
