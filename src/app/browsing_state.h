#pragma once
// Where the main window's two browsers are and what they have chosen: what the program remembers
// of them between runs. Empty strings mean "nothing".

#include <QString>

namespace lumarel {

struct BrowsingState {
    QString pictureFolder;  // the folder of the picture list
    QString picture;        // the picture on show (not the logo)
    QString mapFolder;      // the folder of the map list
    QString map;            // the map last read
};

}  // namespace lumarel
