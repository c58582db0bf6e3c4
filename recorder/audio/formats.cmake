# The options dialog's audio group and the standard recording formats.
target_sources(korvane_recorder PRIVATE audio/audio_controls.cpp audio/recording_formats.cpp)
target_link_libraries(korvane_recorder PUBLIC msacm32 winmm)
