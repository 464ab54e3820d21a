#include "monitoring/sample_values.h"

#include "files/monitoring_file.h"
#include "files/program_settings.h"

namespace pelmo {

namespace {

constexpr double kSampleSteps = 250.0;

}  // namespace

bool steamPressureCorrected(int channel, int variant) {
    switch (channel) {
        case 2:
            return variant == 1 || variant == 2 || variant == 4 || variant == 5 || variant == 7;
        case 5:
            return variant == 2 || variant == 5 || variant == 6 || variant == 7;
        default:
            return false;
    }
}

SampleEvaluator::SampleEvaluator(const StationImage& image, int version)
    : image_(image), version_(version), calculator_(image) {}

double SampleEvaluator::rangeValue(const definice_PV_udaj_rec& data, std::uint8_t sample) {
    return data.value_min + (data.value_max - data.value_min) * (sample - 3) / kSampleSteps;
}

std::optional<double> SampleEvaluator::operator()(int channel, std::uint8_t sample) {
    if (channel < 1 || channel > kChannelCount || !image_.channel(channel).table_present ||
        !validSample(sample)) {
        return std::nullopt;
    }
    const CalcValue derived = calculator_.sampleValue(
        channel, rangeValue(image_.channelData(channel), sample), isGasVersion(version_));
    if (!derived) {
        return std::nullopt;
    }
    double v = *derived;
    if (version_ == 0 && steamPressureCorrected(channel, image_.meter.variant)) {
        v -= kSteamPressureCorrection;
    }
    return v;
}

}  // namespace pelmo
