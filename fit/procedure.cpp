#include "fit/procedure.h"

namespace tarvolen::fit {

TLineSeries& ReplaceCurve(TChart& chart, FitFields& fields) {
  chart.FreeSeries(fields.CurveSeries);
  fields.CurveSeries = nullptr;
  TLineSeries& curve = chart.CreateSeries<TLineSeries>();
  fields.CurveSeries = &curve;
  curve.SetParentChart(&chart);
  curve.SetShowInLegend(false);
  curve.Marks().Style = TSeriesMarksStyle::smsValue;
  return curve;
}

}  // namespace tarvolen::fit
