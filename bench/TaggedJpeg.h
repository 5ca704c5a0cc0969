#pragma once

// A JPEG tagged as a phone tags its photos: a Display P3 profile, made with
// Little CMS from the published primaries and the sRGB curve, in APP2
// "ICC_PROFILE" markers right after the start of the file.
#include <QByteArray>
#include <QtEndian>

#include <lcms2.h>

namespace jfbench {

inline QByteArray displayP3Profile()
{
    const cmsCIExyY d65 = {0.3127, 0.3290, 1};
    const cmsCIExyYTRIPLE p3 = {{0.680, 0.320, 1}, {0.265, 0.690, 1}, {0.150, 0.060, 1}};
    const cmsFloat64Number srgbCurve[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
    cmsToneCurve* curve = cmsBuildParametricToneCurve(nullptr, 4, srgbCurve);
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE profile = cmsCreateRGBProfile(&d65, &p3, curves);
    cmsFreeToneCurve(curve);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    QByteArray icc(qsizetype(size), '\0');
    cmsSaveProfileToMem(profile, icc.data(), &size);
    cmsCloseProfile(profile);
    return icc;
}

// `jpeg` with a Display P3 profile (small enough for one marker).
inline QByteArray withDisplayP3Profile(const QByteArray& jpeg)
{
    const QByteArray icc = displayP3Profile();
    char length[2];
    qToBigEndian(quint16(2 + 14 + icc.size()), length);
    return jpeg.left(2) + QByteArray("\xff\xe2", 2) + QByteArray(length, 2) +
           QByteArray("ICC_PROFILE\0\1\1", 14) + icc + jpeg.mid(2);
}

} // namespace jfbench
