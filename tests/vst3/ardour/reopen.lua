-- Reopens the session in arg[1] and prints what Ardour reads of Varnholt Pro.
local s = load_session(arg[1], "vst3")
assert(s, "no session")
for route in s:get_tracks():iter() do
	local i = 0
	while not route:nth_plugin(i):isnil() do
		local p = route:nth_plugin(i)
		if p:display_name() == "Varnholt Pro" then
			print("latency", p:signal_latency())
			local plug = p:to_insert():plugin(0)
			for k = 0, plug:parameter_count() - 1 do
				print("parameter", k, ARDOUR.LuaAPI.get_processor_param(p, k, true))
			end
		end
		i = i + 1
	end
end
close_session()
