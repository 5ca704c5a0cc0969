#pragma once

// Small pieces the benchmark programs share.

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <vector>

namespace jfbench {

inline double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// This process's peak resident memory so far, in kB (0 when unknown).
inline long peakKb()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return 0;
}

} // namespace jfbench
