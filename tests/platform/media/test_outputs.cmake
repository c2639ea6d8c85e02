# The sound server's outputs, and the mixer and audio device on a chosen one.
scenova_add_test(test_sound_outputs SOURCES test_sound_outputs.cpp audio_test_support.h
  LIBS scenova_media SOUND TIMEOUT 60)
