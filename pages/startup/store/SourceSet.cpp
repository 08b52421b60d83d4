#include "pages/startup/store/SourceSet.h"

#include <algorithm>

SourceSet SourceSet::All()
{
    SourceSet all;
    all.m_all = true;
    return all;
}

SourceSet SourceSet::Of(std::size_t index)
{
    SourceSet one;
    one.m_members.assign(index + 1, false);
    one.m_members[index] = true;
    return one;
}

bool SourceSet::Contains(std::size_t index) const
{
    return m_all || (index < m_members.size() && m_members[index]);
}

bool SourceSet::Empty() const
{
    return !m_all && std::find(m_members.begin(), m_members.end(), true) == m_members.end();
}

SourceSet& SourceSet::operator|=(const SourceSet& other)
{
    m_all = m_all || other.m_all;
    if (m_members.size() < other.m_members.size())
        m_members.resize(other.m_members.size(), false);
    for (std::size_t i = 0; i < other.m_members.size(); ++i)
        m_members[i] = m_members[i] || other.m_members[i];
    return *this;
}

SourceSet SourceSet::Without(const SourceSet& other, std::size_t count) const
{
    SourceSet rest;
    rest.m_members.assign(count, false);
    for (std::size_t i = 0; i < count; ++i)
        rest.m_members[i] = Contains(i) && !other.Contains(i);
    return rest;
}

bool operator==(const SourceSet& a, const SourceSet& b)
{
    if (a.m_all || b.m_all)
        return a.m_all == b.m_all;
    const std::size_t size = std::max(a.m_members.size(), b.m_members.size());
    for (std::size_t i = 0; i < size; ++i)
        if (a.Contains(i) != b.Contains(i))
            return false;
    return true;
}
