#include "editor/EngineMeters.h"

#include "engine/LimiterEngine.h"

void readEngineMeters(LimiterEngine& engine, MeterReadings& readings)
{
    readings.peakLeft = engine.getPeakLeft();
    readings.peakRight = engine.getPeakRight();
    readings.rmsLeft = engine.getRmsLeft();
    readings.rmsRight = engine.getRmsRight();
    readings.peakHoldLeft = engine.getPeakHoldLeft();
    readings.peakHoldRight = engine.getPeakHoldRight();
    readings.peakHoldDbLeft = engine.getPeakHoldDbLeft();
    readings.peakHoldDbRight = engine.getPeakHoldDbRight();
    readings.limiterGainLeft = engine.getLimiterGainLeft();
    readings.limiterGainRight = engine.getLimiterGainRight();
    readings.softclipGainLeft = engine.getSoftclipGainLeft();
    readings.softclipGainRight = engine.getSoftclipGainRight();
    readings.rmsGain = engine.getRmsGain();
    readings.correlation = engine.getCorrelation();
    readings.correlationShortfall = engine.getCorrelationShortfall();
    readings.lowestLimiterGain = engine.takeLowestLimiterGain();
    readings.lowestRmsGain = engine.takeLowestRmsGain();
    readings.loudness = engine.getLoudness();
}
