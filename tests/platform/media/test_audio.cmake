# Tests of the audio command device, the mixer and their stand-ins.
scenova_add_test(test_mci_command SOURCES test_mci_command.cpp LIBS scenova_media)
scenova_add_test(test_audio_fakes SOURCES test_audio_fakes.cpp LIBS scenova_media_fakes)
scenova_add_test(test_audio_device SOURCES test_audio_device.cpp audio_test_support.h
  LIBS scenova_media_fakes SOUND TIMEOUT 120)
scenova_add_test(test_mixer SOURCES test_mixer.cpp audio_test_support.h
  LIBS scenova_media SOUND TIMEOUT 60)
scenova_add_test(test_audio_device_faults SOURCES test_audio_device_faults.cpp audio_test_support.h
  LIBS scenova_media SOUND TIMEOUT 240)
scenova_add_test(test_audio_device_cues SOURCES test_audio_device_cues.cpp audio_test_support.h
  LIBS scenova_media SOUND TIMEOUT 120)
scenova_add_test(test_audio_device_states SOURCES test_audio_device_states.cpp audio_test_support.h
  LIBS scenova_media SOUND TIMEOUT 120)
