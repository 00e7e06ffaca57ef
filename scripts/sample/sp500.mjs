// Large S&P 500 constituents by GICS sector with round market caps (USD billions), used
// only for the clearly labelled sample data file when no network is reachable.
export const SECTORS = {
  'Information Technology': [['AAPL', 'Apple', 3450], ['MSFT', 'Microsoft', 3150], ['NVDA', 'NVIDIA', 3300], ['AVGO', 'Broadcom', 1050],
    ['ORCL', 'Oracle', 480], ['CRM', 'Salesforce', 320], ['AMD', 'Advanced Micro Devices', 210], ['ADBE', 'Adobe', 230],
    ['CSCO', 'Cisco', 235], ['ACN', 'Accenture', 225], ['IBM', 'IBM', 210], ['NOW', 'ServiceNow', 215], ['TXN', 'Texas Instruments', 180],
    ['QCOM', 'Qualcomm', 175], ['INTU', 'Intuit', 180], ['AMAT', 'Applied Materials', 145], ['MU', 'Micron', 110],
    ['ADI', 'Analog Devices', 105], ['LRCX', 'Lam Research', 95], ['KLAC', 'KLA', 85], ['PANW', 'Palo Alto Networks', 120], ['ANET', 'Arista Networks', 130]],
  'Communication Services': [['GOOGL', 'Alphabet', 2300], ['META', 'Meta Platforms', 1500], ['NFLX', 'Netflix', 380], ['TMUS', 'T-Mobile US', 260],
    ['DIS', 'Walt Disney', 200], ['VZ', 'Verizon', 170], ['T', 'AT&T', 165], ['CMCSA', 'Comcast', 150]],
  'Consumer Discretionary': [['AMZN', 'Amazon', 2200], ['TSLA', 'Tesla', 1250], ['HD', 'Home Depot', 400], ['MCD', "McDonald's", 210],
    ['BKNG', 'Booking Holdings', 165], ['LOW', "Lowe's", 145], ['TJX', 'TJX Companies', 140], ['SBUX', 'Starbucks', 110],
    ['NKE', 'Nike', 115], ['CMG', 'Chipotle', 80], ['ABNB', 'Airbnb', 85], ['GM', 'General Motors', 58], ['F', 'Ford', 42]],
  'Financials': [['BRK.B', 'Berkshire Hathaway', 980], ['JPM', 'JPMorgan Chase', 680], ['V', 'Visa', 610], ['MA', 'Mastercard', 490],
    ['BAC', 'Bank of America', 340], ['WFC', 'Wells Fargo', 240], ['GS', 'Goldman Sachs', 180], ['MS', 'Morgan Stanley', 210],
    ['AXP', 'American Express', 210], ['SPGI', 'S&P Global', 160], ['BLK', 'BlackRock', 155], ['C', 'Citigroup', 135],
    ['SCHW', 'Charles Schwab', 145], ['PGR', 'Progressive', 145], ['CB', 'Chubb', 115], ['MMC', 'Marsh McLennan', 110], ['PYPL', 'PayPal', 85]],
  'Health Care': [['LLY', 'Eli Lilly', 720], ['UNH', 'UnitedHealth', 470], ['JNJ', 'Johnson & Johnson', 370], ['ABBV', 'AbbVie', 310],
    ['MRK', 'Merck', 250], ['TMO', 'Thermo Fisher', 200], ['ABT', 'Abbott', 200], ['ISRG', 'Intuitive Surgical', 190],
    ['AMGN', 'Amgen', 150], ['DHR', 'Danaher', 165], ['PFE', 'Pfizer', 150], ['SYK', 'Stryker', 145], ['BSX', 'Boston Scientific', 135],
    ['VRTX', 'Vertex', 120], ['GILD', 'Gilead', 115], ['BMY', 'Bristol-Myers Squibb', 115], ['MDT', 'Medtronic', 110], ['CVS', 'CVS Health', 70]],
  'Industrials': [['GE', 'GE Aerospace', 190], ['CAT', 'Caterpillar', 185], ['RTX', 'RTX', 160], ['UNP', 'Union Pacific', 140],
    ['HON', 'Honeywell', 145], ['ETN', 'Eaton', 135], ['BA', 'Boeing', 115], ['DE', 'Deere', 120], ['UBER', 'Uber', 150],
    ['LMT', 'Lockheed Martin', 120], ['UPS', 'UPS', 110], ['ADP', 'ADP', 120], ['WM', 'Waste Management', 85], ['GD', 'General Dynamics', 72]],
  'Consumer Staples': [['WMT', 'Walmart', 740], ['COST', 'Costco', 420], ['PG', 'Procter & Gamble', 400], ['KO', 'Coca-Cola', 270],
    ['PEP', 'PepsiCo', 210], ['PM', 'Philip Morris', 200], ['MDLZ', 'Mondelez', 85], ['MO', 'Altria', 92], ['CL', 'Colgate-Palmolive', 75]],
  'Energy': [['XOM', 'Exxon Mobil', 480], ['CVX', 'Chevron', 280], ['COP', 'ConocoPhillips', 125], ['EOG', 'EOG Resources', 70],
    ['SLB', 'Schlumberger', 58], ['MPC', 'Marathon Petroleum', 48], ['PSX', 'Phillips 66', 52], ['OXY', 'Occidental', 46]],
  'Utilities': [['NEE', 'NextEra Energy', 150], ['SO', 'Southern Company', 92], ['DUK', 'Duke Energy', 85], ['CEG', 'Constellation Energy', 75],
    ['AEP', 'American Electric Power', 50], ['SRE', 'Sempra', 55], ['D', 'Dominion Energy', 46]],
  'Real Estate': [['PLD', 'Prologis', 100], ['AMT', 'American Tower', 90], ['EQIX', 'Equinix', 88], ['WELL', 'Welltower', 80],
    ['SPG', 'Simon Property', 58], ['O', 'Realty Income', 48], ['PSA', 'Public Storage', 52]],
  'Materials': [['LIN', 'Linde', 215], ['SHW', 'Sherwin-Williams', 92], ['APD', 'Air Products', 70], ['ECL', 'Ecolab', 68],
    ['FCX', 'Freeport-McMoRan', 60], ['NEM', 'Newmont', 45], ['DOW', 'Dow', 28]],
};

export const INDICES = [
  ['SPY', 'S&P 500', 598], ['QQQ', 'Nasdaq 100', 518], ['DIA', 'Dow Jones', 436], ['IWM', 'Russell 2000', 224],
];
