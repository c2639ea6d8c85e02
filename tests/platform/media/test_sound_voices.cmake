# The sound layers' voices on the real media engine.
scenova_add_test(test_sound_voices SOURCES test_sound_voices.cpp test_player_support.h
  LIBS scenova_media SOUND TIMEOUT 60)
