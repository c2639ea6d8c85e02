# Tests of the media player control and its MIDI synthesiser.
scenova_add_test(test_player_offscreen SOURCES test_player_offscreen.cpp
  LIBS scenova_media TIMEOUT 120)
