#include "skin/sys_color_table.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <utility>
#include <vector>

namespace {

using Entry = std::pair<int, COLORREF>;

// One published table, sorted by index; never changed once published.
struct Table {
    std::vector<Entry> entries;
};

std::atomic<const Table*> g_current{nullptr};

// What the owner has replaced and not yet freed, and the table in force, all
// freed when the library is unloaded.
struct Tables {
    std::vector<const Table*> retired;
    ~Tables() {
        for (const Table* table : retired) delete table;
        delete g_current.exchange(nullptr);
    }
};

Tables& Owned() {
    static Tables tables;
    return tables;
}

void Publish(std::unique_ptr<Table> table) {
    Tables& owned = Owned();
    owned.retired.reserve(owned.retired.size() + 1);  // the only step that can fail
    const Table* old = g_current.exchange(table.release(), std::memory_order_seq_cst);
    if (old) owned.retired.push_back(old);
}

}  // namespace

bool FindReplacedSysColor(int index, COLORREF* colour) {
    const Table* table = g_current.load(std::memory_order_seq_cst);
    if (!table) return false;
    const auto it = std::lower_bound(table->entries.begin(), table->entries.end(), index,
                                     [](const Entry& entry, int key) { return entry.first < key; });
    if (it == table->entries.end() || it->first != index) return false;
    if (colour) *colour = it->second;
    return true;
}

void ReplaceOneSysColor(int index, COLORREF colour) {
    auto table = std::make_unique<Table>();
    if (const Table* current = g_current.load(std::memory_order_seq_cst)) table->entries = current->entries;
    const auto it = std::lower_bound(table->entries.begin(), table->entries.end(), index,
                                     [](const Entry& entry, int key) { return entry.first < key; });
    if (it != table->entries.end() && it->first == index) it->second = colour;
    else table->entries.insert(it, Entry(index, colour));
    Publish(std::move(table));
}

void PublishSysColors(const std::map<int, COLORREF>& colours) {
    auto table = std::make_unique<Table>();
    table->entries.assign(colours.begin(), colours.end());
    Publish(std::move(table));
}

void ReleaseRetiredSysColorTables() {
    Tables& owned = Owned();
    for (const Table* table : owned.retired) delete table;
    owned.retired.clear();
}
