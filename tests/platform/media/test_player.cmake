# Tests of the media player control and its MIDI synthesiser.
scenova_add_test(test_player_offscreen SOURCES test_player_offscreen.cpp test_player_support.h
  LIBS scenova_media_fakes PRIVATE TIMEOUT 120)
scenova_add_test(test_player_av SOURCES test_player_av.cpp test_player_support.h
  LIBS scenova_media DISPLAY SOUND TIMEOUT 120)
scenova_add_test(test_midi SOURCES test_midi.cpp test_player_support.h LIBS scenova_media)
scenova_add_test(test_mpv_session SOURCES test_mpv_session.cpp LIBS scenova_media)
scenova_add_test(test_player_hung SOURCES test_player_hung.cpp test_player_support.h
  audio_test_support.h LIBS scenova_media DISPLAY SOUND TIMEOUT 120)
