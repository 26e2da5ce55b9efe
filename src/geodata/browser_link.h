// How the geography overlay reaches the city and country browsers (built by
// the HUD): a click on the globe selects the browsers' rows, and a change of
// the city table (user sites) fills the city browser again. The overview and
// help texts travel separately: the overlay's InfoTexts make them and the
// read-out display hands them to the browsers.
#pragma once

namespace tnx::geodata {

class BrowserLink {
public:
    virtual ~BrowserLink() = default;
    // A click on the globe marked this city: the city browsers select its row.
    virtual void cityClicked(int city) = 0;
    // A click picked this country: the country browsers select its row and
    // its overview is shown.
    virtual void countryClicked(int country) = 0;
    // "Unselect And Clear All": no row of the lists stays selected.
    virtual void selectionCleared() = 0;
    // The city table changed: the city list is filled again from it.
    virtual void refillCities() = 0;
};

}  // namespace tnx::geodata
