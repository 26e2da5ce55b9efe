// A popup menu described as plain data: the viewer's logic fills it (items,
// checks, greyed items, sub-menus) and the window layer shows it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tnx::win {

struct MenuItem {
    enum Kind { Command, Separator, Popup } kind = Command;
    uint32_t id = 0;
    std::string text;
    bool checked = false;
    bool greyed = false;
    std::shared_ptr<struct Menu> submenu;  // for Popup
};

struct Menu {
    std::vector<MenuItem> items;

    void appendCommand(uint32_t id, std::string text) {
        MenuItem it;
        it.id = id;
        it.text = std::move(text);
        items.push_back(std::move(it));
    }
    void appendSeparator() {
        MenuItem it;
        it.kind = MenuItem::Separator;
        items.push_back(std::move(it));
    }
    std::shared_ptr<Menu> appendPopup(std::string text) {
        MenuItem it;
        it.kind = MenuItem::Popup;
        it.text = std::move(text);
        it.submenu = std::make_shared<Menu>();
        items.push_back(it);
        return it.submenu;
    }
    // Searches this menu and its sub-menus.
    MenuItem* find(uint32_t id) {
        for (auto& it : items) {
            if (it.kind == MenuItem::Command && it.id == id) return &it;
            if (it.submenu)
                if (MenuItem* f = it.submenu->find(id)) return f;
        }
        return nullptr;
    }
    void check(uint32_t id, bool on) { if (MenuItem* it = find(id)) it->checked = on; }
    void grey(uint32_t id, bool on) { if (MenuItem* it = find(id)) it->greyed = on; }
    // The sub-menu at a position of this menu, or nullptr.
    Menu* subMenuAt(size_t index) {
        return index < items.size() && items[index].submenu ? items[index].submenu.get() : nullptr;
    }
};

}  // namespace tnx::win
