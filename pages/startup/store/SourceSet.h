#pragma once
// A set of sources by their index in a source table, of any size: a table
// may hold as many places as Windows starts programs from.

#include <cstddef>
#include <vector>

class SourceSet {
public:
    SourceSet() = default;
    // Every source of any table.
    static SourceSet All();
    static SourceSet Of(std::size_t index);

    bool Contains(std::size_t index) const;
    bool Empty() const;
    SourceSet& operator|=(const SourceSet& other);
    // The members of this set, among the first `count` sources, that are not in `other`.
    SourceSet Without(const SourceSet& other, std::size_t count) const;
    friend bool operator==(const SourceSet& a, const SourceSet& b);
    friend bool operator!=(const SourceSet& a, const SourceSet& b) { return !(a == b); }

private:
    bool m_all = false;
    std::vector<bool> m_members; // by index; trailing members may be absent
};
