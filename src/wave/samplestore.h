#pragma once

#include <QtGlobal>

#include <array>

// The four channels of the shown record. The drive records at most 250
// samples; the store has room for 254 and never takes a sample beyond.
class SampleStore
{
public:
    static constexpr int Channels = 4;
    static constexpr int Capacity = 254;

    static SampleStore &instance();

    int count() const { return m_count; }
    qint32 sample(int channel, int index) const
    {
        return channel >= 0 && channel < Channels && index >= 0 && index < Capacity
                   ? m_samples[channel][index]
                   : 0;
    }
    // Stores one sample; false (and nothing stored) for an index outside the store.
    bool set(int index, const std::array<qint32, Channels> &values);
    // Appends after the last sample; false when the store is full.
    bool append(const std::array<qint32, Channels> &values) { return set(m_count, values); }
    void setCount(int count) { m_count = qBound(0, count, Capacity); }
    // Zeroes every sample and the count.
    void clear();
    // The largest absolute value of channel among the stored samples (the
    // whole drawn range, 251 entries, when fewer are held).
    qint64 largestMagnitude(int channel) const;

private:
    std::array<std::array<qint32, Capacity>, Channels> m_samples{};
    int m_count = 0;
};
