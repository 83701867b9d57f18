#pragma once

#include "quarryloader.h"

// Loads libquarry.so for the life of the object when asked to.
class QuarryUse
{
public:
    explicit QuarryUse(bool wanted = true) : m_loaded(wanted && QuarryLoader::instance().Load()) { }
    ~QuarryUse()
    {
        if (m_loaded) {
            QuarryLoader::instance().Unload();
        }
    }
    QuarryUse(const QuarryUse &) = delete;
    QuarryUse &operator=(const QuarryUse &) = delete;
    bool loaded() const { return m_loaded; }

private:
    bool m_loaded;
};
