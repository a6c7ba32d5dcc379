-- Creates a session in arg[1]: a track with Varnholt Pro (VST3), the program "Mix first aid",
-- output trim -1.5 dB and 16 bit. Prints what Ardour reads of the plug-in, bounces one second
-- of the test signal through it and saves.
local s = create_session(arg[1], "vst3", 44100)
assert(s, "no session")
local t = s:new_audio_track(2, 2, nil, 1, "t", ARDOUR.PresentationInfo.max_order, ARDOUR.TrackMode.Normal, true):front()
local p = ARDOUR.LuaAPI.new_plugin(s, "Varnholt Pro", ARDOUR.PluginType.VST3, "")
assert(not p:isnil(), "no plug-in")
t:add_processor_by_index(p, 0, nil, true)
local plug = p:to_insert():plugin(0)
local preset = plug:preset_by_label("Mix first aid")
assert(preset, "no program")
print("program", plug:load_preset(preset))
ARDOUR.LuaAPI.set_processor_param(p, 0, -1.5)
ARDOUR.LuaAPI.set_processor_param(p, 16, 4)
print("parameters", plug:parameter_count())
print("latency", p:signal_latency())
for i = 0, plug:parameter_count() - 1 do
	print("parameter", i, ARDOUR.LuaAPI.get_processor_param(p, i, true))
end
-- A second of the running engine delivers every change to the plug-in; then the engine stops,
-- so the signal and the plug-in start the bounce from their beginning and rest, as the
-- reference render does.
sleep(1)
AudioEngine:stop(false)
local signal = ARDOUR.LuaAPI.new_luaproc(s, "VH Test Signal")
assert(not signal:isnil(), "no test signal")
t:add_processor_by_index(signal, 0, nil, true)
local region = t:bounce_range(0, 44100, ARDOUR.InterThreadInfo(), t:main_outs(), false, "bounce", false)
assert(not region:isnil(), "no bounce")
print("bounced", region:source(0):to_filesource():path())
s:save_state("", false, false, false, false, false)
close_session()
