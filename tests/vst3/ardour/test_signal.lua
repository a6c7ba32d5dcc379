ardour {
	["type"]    = "dsp",
	name        = "VH Test Signal",
	category    = "Utility",
	license     = "MIT",
	author      = "Varnholt Pro tests",
	description = [[A deterministic stereo test signal in place of the input.]]
}

function dsp_ioconfig ()
	return { { audio_in = 2, audio_out = 2 } }
end

local frame = 0

function dsp_run (ins, outs, n_samples)
	local left = outs[1]:array ()
	local right = outs[2]:array ()
	for i = 1, n_samples do
		local n = frame + i - 1
		local burst = (math.floor (n / 4096) % 2 == 1) and 1.6 or 0.5
		local common = math.sin (2 * math.pi * 220 * n / 44100)
		left[i] = burst * (0.7 * common + 0.3 * math.sin (2 * math.pi * 3100 * n / 44100))
		right[i] = burst * (0.6 * common - 0.4 * math.sin (2 * math.pi * 1870 * n / 44100))
	end
	frame = frame + n_samples
end
