#include "program/sample_profile_settings.hpp"

#include <QSettings>

namespace kalidos::app {
namespace {

// Every number of the profile under its key, read and written alike.
struct ProfileNumber {
    const char* key;
    double ProfileSettings::*member;
};
constexpr ProfileNumber kProfileNumbers[] = {
    {"gaussU", &ProfileSettings::gaussU},       {"gaussV", &ProfileSettings::gaussV},
    {"gaussW", &ProfileSettings::gaussW},       {"gaussP", &ProfileSettings::gaussP},
    {"lorentzX", &ProfileSettings::lorentzX},   {"lorentzY", &ProfileSettings::lorentzY},
    {"sizeNm", &ProfileSettings::sizeNm},       {"scherrerK", &ProfileSettings::scherrerK},
    {"strainPercent", &ProfileSettings::strainPercent}, {"axialSL", &ProfileSettings::axialSL},
    {"axialHL", &ProfileSettings::axialHL},     {"zeroShift", &ProfileSettings::zeroShift},
    {"displacementMm", &ProfileSettings::displacementMm}, {"radiusMm", &ProfileSettings::radiusMm},
    {"transparency", &ProfileSettings::transparency}};

// The intensity corrections, kept since they were known: a setting without them keeps none.
struct CorrectionNumber {
    const char* key;
    double IntensityCorrections::*member;
};
constexpr CorrectionNumber kCorrectionNumbers[] = {
    {"monochromatorTwoTheta", &IntensityCorrections::monochromatorTwoTheta},
    {"cylinderMuR", &IntensityCorrections::cylinderMuR},   {"plateMuT", &IntensityCorrections::plateMuT},
    {"roughnessP", &IntensityCorrections::roughnessP},     {"roughnessQ", &IntensityCorrections::roughnessQ},
    {"slitDegrees", &IntensityCorrections::slitDegrees},   {"sampleLengthMm", &IntensityCorrections::sampleLengthMm}};

bool read_number(const QSettings& settings, const QString& key, double& value)
{
    bool ok = false;
    value = settings.value(key).toDouble(&ok);
    return ok;
}

bool read_integer(const QSettings& settings, const QString& key, int& value)
{
    bool ok = false;
    value = settings.value(key).toInt(&ok);
    return ok;
}

}  // namespace

void write_sample_profile(QSettings& settings, const SampleSettings& sample, const ProfileSettings& profile)
{
    for (const ProfileNumber& number : kProfileNumbers)
        settings.setValue(QString("profile/") + number.key, profile.*number.member);
    for (const CorrectionNumber& number : kCorrectionNumbers)
        settings.setValue(QString("corrections/") + number.key, profile.corrections.*number.member);
    settings.setValue("corrections/monochromatorPlace",
                      profile.corrections.monochromatorPlace == MonochromatorPlace::Incident ? "incident" : "diffracted");
    settings.setValue("profile/function", profile.function == ProfileFunction::Tch ? "tch" : "seed");
    settings.setValue("profile/strainShape", profile.strainShape == StrainShape::Lorentzian ? "lorentzian" : "gaussian");
    const PreferredOrientation& po = sample.preferred;
    settings.setValue("sample/h", po.h);
    settings.setValue("sample/k", po.k);
    settings.setValue("sample/l", po.l);
    settings.setValue("sample/ratio", po.ratio);
    settings.setValue("sample/fraction", po.fraction);
    settings.setValue("sample/isotropic", sample.isotropic);
}

bool read_sample_profile(const QSettings& settings, SampleSettings& sample, ProfileSettings& profile)
{
    ProfileSettings p;
    for (const ProfileNumber& number : kProfileNumbers) {
        const QString key = QString("profile/") + number.key;
        // Settings kept before the transparency was known still hold everything else.
        const bool later = number.member == &ProfileSettings::transparency && !settings.contains(key);
        if (!later && !read_number(settings, key, p.*number.member))
            return false;
    }
    for (const CorrectionNumber& number : kCorrectionNumbers) {
        const QString key = QString("corrections/") + number.key;
        if (settings.contains(key) && !read_number(settings, key, p.corrections.*number.member))
            return false;
    }
    if (settings.value("corrections/monochromatorPlace").toString() == "incident")
        p.corrections.monochromatorPlace = MonochromatorPlace::Incident;
    const QString function = settings.value("profile/function").toString();
    const QString shape = settings.value("profile/strainShape").toString();
    if ((function != "tch" && function != "seed") || (shape != "lorentzian" && shape != "gaussian"))
        return false;
    p.function = function == "tch" ? ProfileFunction::Tch : ProfileFunction::Seed;
    p.strainShape = shape == "lorentzian" ? StrainShape::Lorentzian : StrainShape::Gaussian;
    SampleSettings s;
    PreferredOrientation& po = s.preferred;
    if (!read_integer(settings, "sample/h", po.h) || !read_integer(settings, "sample/k", po.k) ||
        !read_integer(settings, "sample/l", po.l) || !read_number(settings, "sample/ratio", po.ratio) ||
        !read_number(settings, "sample/fraction", po.fraction) || !settings.contains("sample/isotropic"))
        return false;
    s.isotropic = settings.value("sample/isotropic").toBool();
    if (!profile_settings_problem(p).empty() || !(po.ratio > 0) || !(po.fraction >= 0 && po.fraction <= 1) ||
        (po.h == 0 && po.k == 0 && po.l == 0))
        return false;
    sample = s;
    profile = p;
    return true;
}

}  // namespace kalidos::app
