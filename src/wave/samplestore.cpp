#include "samplestore.h"

#include <cstdlib>

SampleStore &SampleStore::instance()
{
    static SampleStore store;
    return store;
}

bool SampleStore::set(int index, const std::array<qint32, Channels> &values)
{
    if (index < 0 || index >= Capacity)
        return false;
    for (int c = 0; c < Channels; ++c)
        m_samples[c][index] = values[c];
    m_count = qMax(m_count, index + 1);
    return true;
}

void SampleStore::clear()
{
    for (auto &channel : m_samples)
        channel.fill(0);
    m_count = 0;
}

qint64 SampleStore::largestMagnitude(int channel) const
{
    if (channel < 0 || channel >= Channels)
        return 0;
    qint64 largest = 0;
    for (int i = 0; i <= 250; ++i)
        largest = qMax(largest, std::llabs(qint64(m_samples[channel][i])));
    return largest;
}
