// How the geography overlay reaches the city and country browsers (built by
// the HUD): a click on the globe selects the browsers' rows, the country
// overview and the help text go to their panels and windows, and a change of
// the city table (user sites) fills the city browser again.
#pragma once

#include <string_view>

namespace tnx::geodata {

class BrowserLink {
public:
    virtual ~BrowserLink() = default;
    // A click on the globe marked this city: the city browsers select its row.
    virtual void cityClicked(int city) = 0;
    // A click picked this country: the country browsers select its row and
    // its overview is shown.
    virtual void countryClicked(int country) = 0;
    // The city table changed: the city list is filled again from it.
    virtual void refillCities() = 0;
    // The overview of a country (its name, "Background" and "Overview" with
    // its two texts) in the overview panel and window.
    virtual void showOverview(int country) = 0;
    // The help text (the readme, Windows-1252; empty when there is none) in
    // the help panel and window.
    virtual void showHelp(std::string_view readme) = 0;
};

}  // namespace tnx::geodata
