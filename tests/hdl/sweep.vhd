-- Drives each code of one dynamic select (SELECT; the codes of LISTED, a 64-bit mask, both put in
-- by tst_modgen) of a module pll1 with dynamic IDIV, FBDIV and ODIV, the other selects holding their
-- own (idsel 63, fbdsel 0, odsel 0), and reports each code with CLKOUT's period in fs against a
-- 100 MHz clkin; then drives AFTER, which the row expects the model to take or refuse.
library ieee;
use ieee.std_logic_1164.all;
use ieee.numeric_std.all;

entity sweep is
end entity;

architecture bench of sweep is
    signal clkin, clkout: std_logic := '0';
    signal idsel: std_logic_vector(5 downto 0) := "111111";
    signal fbdsel, odsel: std_logic_vector(5 downto 0) := "000000";
    constant listed: std_logic_vector(63 downto 0) := LISTED;
begin
    dut: entity work.pll1 port map (clkin => clkin, idsel => idsel, fbdsel => fbdsel, odsel => odsel,
                                    clkout => clkout);
    clkin <= not clkin after 5 ns;
    process
        variable t0: time;
    begin
        wait for 200 ns;
        for code in 0 to 63 loop
            if listed(code) = '1' then
                SELECT <= std_logic_vector(to_unsigned(code, 6));
                wait until rising_edge(clkout);
                wait until rising_edge(clkout);
                t0 := now;
                wait until rising_edge(clkout);
                report integer'image(code) & " " & integer'image((now - t0) / 1 fs);
            end if;
        end loop;
        SELECT <= std_logic_vector(to_unsigned(AFTER, 6));
        wait for 100 ns;
        std.env.finish;
    end process;
end architecture;
