#pragma once

#include <QString>

namespace scenova::audio {

// The volume slider's controls as the volume code sees them: the knob
// (Image2) sliding in the track (Image3), the knob's tag, the percentage
// label (Label6) and the projector switch (Check1). Geometry is in twips and
// keeps fractional values exactly as they were set.
class VolumeView {
 public:
  virtual ~VolumeView() = default;

  virtual double knobLeft() const = 0;
  virtual double knobTop() const = 0;
  virtual double knobWidth() const = 0;
  virtual double knobHeight() const = 0;
  virtual void setKnobLeft(double twips) = 0;
  virtual void setKnobTop(double twips) = 0;

  virtual double trackLeft() const = 0;
  virtual double trackTop() const = 0;
  virtual double trackWidth() const = 0;
  virtual double trackHeight() const = 0;

  // Image2.Tag: the mixer value the knob stands for, as decimal text.
  virtual QString knobTag() const = 0;
  virtual void setKnobTag(const QString& tag) = 0;

  // Label6.Caption.
  virtual QString percentCaption() const = 0;
  virtual void setPercentCaption(const QString& caption) = 0;

  // Check1: the projector's player follows the slider while it is ticked.
  virtual bool projectorTicked() const = 0;
};

}  // namespace scenova::audio
