#include "fakes/media/fake_mixer.h"

// FakeMixer is header-only; this file gives the fakes library a home for it.
