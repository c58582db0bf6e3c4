# The compressor catalogue and the saved compressor state.
target_sources(korvane_recorder PRIVATE
    capture/compressor_catalogue.cpp capture/compressor_state.cpp)
